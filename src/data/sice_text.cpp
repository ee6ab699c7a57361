#include "data/sice_text.h"

#include <algorithm>
#include <cstring>

#include "data/error.h"
#include "data/text.h"

namespace tos {

namespace {
constexpr char kCtrlZ = 26;
constexpr size_t kReadBuffer = 1 << 16;

[[noreturn]] void ThrowIo(int code) {
  throw Error(IoErrorText(code), code);
}

// The seam's own error codes are the ones the reader reports.
[[noreturn]] void RethrowIo(const Error& e) {
  ThrowIo(e.Code());
}

// Moves the unread bytes [begin, end) to the front of the buffer, doubles it
// when they fill it, and reads more after them. Returns how many bytes were
// read: 0 at the end of the file.
size_t Refill(fs::ReadStream& file, std::vector<char>& buffer, size_t& begin, size_t& end) {
  if (begin > 0) {
    std::memmove(buffer.data(), buffer.data() + begin, end - begin);
    end -= begin;
    begin = 0;
  }
  if (end == buffer.size()) buffer.resize(buffer.size() * 2);
  size_t got = file.Read(buffer.data() + end, buffer.size() - end);
  end += got;
  return got;
}
}  // namespace

std::string IoErrorText(int code) {
  switch (code) {
    case 2:
      return "No se encuentra el archivo";
    case 3:
      return "Nombre de archivo inválido";
    case 4:
      return "Demasiados archivos abiertos";
    case 5:
      return "Acceso al archivo denegado";
    case 100:
      return "Se intenta leer después del fin del archivo";
    case 101:
      return "Disco lleno";
    case 106:
      return "Valor numérico de entrada inválido";
    default:
      return "Error de E/S " + std::to_string(fs::ShownNumber(code));
  }
}

bool ExisteArchivo(const std::string& path) {
  return fs::Current().FindFile(path).has_value();
}

LectorLineas::LectorLineas() = default;
LectorLineas::~LectorLineas() = default;

void LectorLineas::Open(const std::string& path, FileDecoding* decoding) {
  Close();
  std::string real = fs::Current().FindFile(path).value_or(path);
  try {
    file_ = std::make_unique<SiceStream>(fs::Current().OpenRead(real), real, decoding);
  } catch (const Error& e) {
    RethrowIo(e);
  }
  buffer_.resize(kReadBuffer);
  begin_ = end_ = 0;
  eof_ = stopped_ = false;
}

void LectorLineas::Close() {
  file_.reset();
  buffer_.clear();
  buffer_.shrink_to_fit();
  withoutCr_.clear();
  withoutCr_.shrink_to_fit();
  begin_ = end_ = 0;
}

// Moves what is left to the front and reads more; false at the end of file.
bool LectorLineas::Fill() {
  if (eof_) return false;
  try {
    eof_ = Refill(*file_, buffer_, begin_, end_) == 0;
  } catch (const Error& e) {
    RethrowIo(e);
  }
  return !eof_;
}

bool LectorLineas::AtEnd() {
  if (!file_) ThrowIo(103);  // not open
  if (stopped_) return true;
  if (begin_ == end_ && !Fill()) return true;
  if (buffer_[begin_] == kCtrlZ) {
    stopped_ = true;
    return true;
  }
  return false;
}

std::string_view LectorLineas::ReadLineView() {
  if (AtEnd()) ThrowIo(100);
  // The line is kept whole in the buffer (Fill keeps what is left and grows
  // the buffer when a line fills it); `scanned` bytes are known to hold
  // neither LF nor Ctrl-Z. A Ctrl-Z inside the line ends the line and the
  // text.
  size_t scanned = 0;
  const char* stop = nullptr;
  for (;;) {
    const char* start = buffer_.data() + begin_;
    size_t avail = end_ - begin_;
    size_t end = scanned + text::FirstOf({start + scanned, avail - scanned}, '\n', kCtrlZ);
    if (end < avail) {
      stop = start + end;
      break;
    }
    scanned = avail;
    if (!Fill()) break;  // last line without a line end
  }
  const char* start = buffer_.data() + begin_;
  size_t keep = stop ? static_cast<size_t>(stop - start) : end_ - begin_;
  const bool z = stop && *stop == kCtrlZ;
  std::string_view line(start, keep);
  // Every CR is either part of a CR LF or left out of the text; a CR at the
  // end (that of a CR LF, mostly) is simply not taken.
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (text::FirstOf(line, '\r', '\r') < line.size()) {
    withoutCr_.clear();
    std::copy_if(start, start + keep, std::back_inserter(withoutCr_),
                 [](char c) { return c != '\r'; });
    line = withoutCr_;
  }
  if (z) {
    stopped_ = true;
    begin_ = end_;
  } else if (stop) {
    begin_ += keep + 1;
  } else {
    begin_ = end_;
  }
  return line;
}

std::vector<std::string> CargarLineas(const std::string& path, FileDecoding* decoding) {
  std::vector<std::string> lines;
  WholeFileLines reader(path, WholeFileLines::kBuffer, decoding);
  for (std::string_view line; reader.Next(line);) lines.emplace_back(line);
  return lines;
}

WholeFileLines::WholeFileLines(const std::string& path, size_t bufferSize, FileDecoding* decoding)
    : path_(path) {
  std::string real = fs::Current().FindFile(path).value_or(path);
  try {
    file_ = std::make_unique<SiceStream>(fs::Current().OpenRead(real), real, decoding);
  } catch (const Error& e) {
    throw Error(Format("Cannot open file \"%s\". %s", path_, e.what()), e.Code());
  }
  buffer_.resize(std::max<size_t>(bufferSize, 2));
}

WholeFileLines::~WholeFileLines() = default;

// Keeps what is left at the front and reads more; false at the end of file.
bool WholeFileLines::Fill() {
  if (eof_) return false;
  try {
    eof_ = Refill(*file_, buffer_, begin_, end_) == 0;
  } catch (const Error& e) {
    throw Error(Format("Cannot open file \"%s\". %s", path_, e.what()), e.Code());
  }
  return !eof_;
}

bool WholeFileLines::Next(std::string_view& line) {
  // `scanned` bytes from begin_ are known to hold no line end.
  size_t scanned = 0;
  for (;;) {
    const char* start = buffer_.data() + begin_;
    size_t avail = end_ - begin_;
    const char* at = start + scanned;
    size_t rest = avail - scanned;
    size_t end = text::FirstOf({at, rest}, '\n', '\r');
    const char* stop = end < rest ? at + end : nullptr;
    const bool cr = stop && *stop == '\r';
    // A CR at the end of what has been read may be the first half of a CR LF.
    if (stop && !(cr && stop + 1 == start + avail && !eof_)) {
      size_t length = static_cast<size_t>(stop - start);
      line = std::string_view(start, length);
      begin_ += length + 1;
      if (cr && begin_ < end_ && buffer_[begin_] == '\n') ++begin_;
      return true;
    }
    scanned = stop ? static_cast<size_t>(stop - start) : avail;
    // Once the end is known, a CR waiting for its LF is a line end of its own.
    if (Fill() || stop) continue;
    // The end of the file: what follows the last line end, without the NUL
    // padding and then a final Ctrl-Z, is the last line.
    std::string_view tail(buffer_.data() + begin_, end_ - begin_);
    while (!tail.empty() && tail.back() == '\0') tail.remove_suffix(1);
    if (!tail.empty() && tail.back() == kCtrlZ) tail.remove_suffix(1);
    begin_ = end_;
    if (tail.empty()) return false;
    line = tail;
    return true;
  }
}

// The stream buffers what it is given and writes large pieces whole; on a
// failure the temporary file is removed again.
EscritorLineas::EscritorLineas(std::string path) : path_(std::move(path)), temp_(path_ + ".tmp~") {
  Guarded([&] { out_ = fs::Current().Create(temp_); });
}

EscritorLineas::~EscritorLineas() {
  if (temp_.empty()) return;
  out_.reset();
  try {
    fs::Current().Remove(temp_);
  } catch (const Error&) {
    // Nothing of it may be there.
  }
}

// A failing step closes and removes the temporary, and raises the file's
// error.
template <typename Step>
void EscritorLineas::Guarded(Step step) {
  try {
    step();
  } catch (const Error& e) {
    out_.reset();
    try {
      fs::Current().Remove(temp_);
    } catch (const Error&) {
    }
    temp_.clear();
    throw Error(Format("Cannot create file \"%s\". %s", path_, e.what()), e.Code());
  }
}

void EscritorLineas::Write(std::string_view text) {
  Guarded([&] { out_->Write(text.data(), text.size()); });
}

void EscritorLineas::Commit() {
  Guarded([&] {
    out_->Close();
    out_.reset();
    fs::Current().Rename(temp_, path_);
  });
  temp_.clear();
}

void GuardarLineas(std::string_view text, const std::string& path) {
  constexpr size_t kPiece = 64 << 10;
  EscritorLineas out(path);
  for (size_t at = 0; at < text.size(); at += kPiece) out.Write(text.substr(at, kPiece));
  out.Commit();
}

// Columns 2-51 trimmed and upper-cased equal the self-name when, after the
// leading blanks, the name stands there and only blanks follow it: most
// lines differ at their first letter, so it is looked at first.
bool EsLineaDeDatos(std::string_view line, std::string_view selfName) {
  if (!line.empty() && (line[0] == '0' || line[0] == '9')) return false;
  const size_t end = std::min<size_t>(line.size(), 51);
  size_t at = 1;
  while (at < end && static_cast<unsigned char>(line[at]) <= 32) ++at;
  if (end - at < selfName.size()) return true;
  for (size_t i = 0; i < selfName.size(); ++i) {
    if (text::AsciiUpper(line[at + i]) != selfName[i]) return true;
  }
  for (size_t i = at + selfName.size(); i < end; ++i) {
    if (static_cast<unsigned char>(line[i]) > 32) return true;
  }
  return false;
}

std::string CortarCampo(std::string_view line, size_t column, size_t length) {
  return std::string(CortarCampoVista(line, column, length));
}

void AnadirCampo(std::string& line, std::string_view value, size_t width) {
  line.append(value);
  if (value.size() < width) line.append(std::min<size_t>(width - value.size(), 95), ' ');
}

}  // namespace tos
