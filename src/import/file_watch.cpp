#include "import/file_watch.h"

#include <algorithm>
#include <optional>

#include "data/sice_text.h"
#include "data/text.h"

namespace tos {

namespace {

constexpr size_t kFoundPerFile = 5;

// The names SICE gives its files in their headers.
constexpr std::string_view kSelfNames[] = {
    "SICE_ASIGNAT.TXT",      "SICE_PROF.TXT",         "SICE_AULAS.TXT",    "SICE_GRUPOS.TXT",
    "SICE_ASIGNATGRUPO.TXT", "SICE_ASIGNATCURSO.TXT", "SICE_SESIONES.TXT", "SICE_HORARIO.TXT"};

bool AllDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

uint64_t Number(std::string_view digits) {
  uint64_t n = 0;
  for (char c : digits) n = n * 10 + static_cast<uint64_t>(c - '0');
  return n;
}

// A line of blanks only (or empty) is nothing SICE counts. A data line
// SICE writes begins with "1".
bool Blank(std::string_view line) {
  return line.empty() || (static_cast<unsigned char>(line[0]) <= 32 &&
                          CortarCampoVista(line, 1, line.size()).empty());
}

// A header's date "ddmmyyyyhhnn" as minutes since 1 March of year 0, or
// nothing when it is not one.
std::optional<int64_t> Minutes(std::string_view date) {
  if (date.size() != 12 || !AllDigits(date)) return std::nullopt;
  int64_t d = static_cast<int64_t>(Number(date.substr(0, 2)));
  int64_t m = static_cast<int64_t>(Number(date.substr(2, 2)));
  int64_t y = static_cast<int64_t>(Number(date.substr(4, 4)));
  int64_t h = static_cast<int64_t>(Number(date.substr(8, 2)));
  int64_t n = static_cast<int64_t>(Number(date.substr(10, 2)));
  if (d < 1 || d > 31 || m < 1 || m > 12 || h > 23 || n > 59) return std::nullopt;
  // Days from a civil date, March-based years.
  if (m <= 2) --y;
  int64_t dayOfYear = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  int64_t days = y * 365 + y / 4 - y / 100 + y / 400 + dayOfYear;
  return (days * 24 + h) * 60 + n;
}

// "07/09/2026 08:15", or the text as it stands when it is no date.
std::string ShownDate(const std::string& date) {
  if (!Minutes(date)) return date.empty() ? "sin fecha" : date;
  return date.substr(0, 2) + "/" + date.substr(2, 2) + "/" + date.substr(4, 4) + " " +
         date.substr(8, 2) + ":" + date.substr(10, 2);
}

}  // namespace

bool FileWatch::See(std::string_view line) {
  if constexpr (!kNotices) return EsLineaDeDatos(line, selfName_);
  ++lines_;
  if (text::FirstOf(line, '\t', '\t') < line.size() && tabs_++ == 0) firstTab_ = lines_;
  if (!line.empty() && line[0] == '0') {
    Header(line);
    return false;
  }
  if (!line.empty() && line[0] == '9') {
    Trailer(line);
    return false;
  }
  if (!EsLineaDeDatos(line, selfName_)) return false;
  if (!Blank(line)) {
    ++data_;
    lastData_ = lines_;
  }
  return true;
}

void FileWatch::Found(NoticeKind kind, Notice notice) {
  if (found_.size() < kFoundPerFile) found_.emplace_back(kind, std::move(notice));
}

void FileWatch::Header(std::string_view line) {
  if (std::optional<Notice> unclosed = Unclosed())
    Found(NoticeKind::kFicheroIncompleto, std::move(*unclosed));
  data_ = 0;
  lastData_ = 0;
  if (++headers_ == 2) secondHeader_ = lines_;
  std::string name = text::AsciiUpper(CortarCampoVista(line, 2, 50));
  if (name != selfName_ &&
      std::find(std::begin(kSelfNames), std::end(kSelfNames), name) != std::end(kSelfNames))
    Found(NoticeKind::kFicheroCambiado,
          {std::string(file_) + ", línea " + std::to_string(lines_),
           "la cabecera es la de " + name + "; este fichero es " + std::string(selfName_), ""});
  if (headers_ == 1) {
    code_ = std::string(CortarCampoVista(line, 52, 8));
    date_ = std::string(CortarCampoVista(line, 60, 12));
  }
}

void FileWatch::Trailer(std::string_view line) {
  std::string_view count = CortarCampoVista(line, 72, line.size());
  if (AllDigits(count) && count.size() <= 18 && Number(count) != data_)
    Found(NoticeKind::kFicheroIncompleto,
          {std::string(file_) + ", línea " + std::to_string(lines_),
           "incompleto: la línea final cuenta " + Counted(Number(count), "línea", "líneas") +
               " de datos y el fichero tiene " + std::to_string(data_),
           ""});
  data_ = 0;
  lastData_ = 0;
}

std::optional<Notice> FileWatch::Unclosed() const {
  if (lastData_ == 0) return std::nullopt;
  return Notice{
      std::string(file_) + ", línea " + std::to_string(lastData_),
      "incompleto: no hay línea final (la que empieza por 9) después de " +
          std::string(data_ == 1 ? "la línea" : "las " + Counted(data_, "línea", "líneas")) +
          " de datos; la última es la " + std::to_string(lastData_),
      ""};
}

void FileWatch::Tell(Report& report) const {
  TellDecoding(report, file_, decoding);
  for (const auto& [kind, notice] : found_) report.Add(kind, notice);
  // The end is told only of a file read to its end.
  if (std::optional<Notice> unclosed = Unclosed(); unclosed && whole_)
    report.Add(NoticeKind::kFicheroIncompleto, std::move(*unclosed));
  if (headers_ > 1)
    report.Add(NoticeKind::kVariasCabeceras,
               {std::string(file_) + ", línea " + std::to_string(secondHeader_),
                std::to_string(headers_) + " líneas de cabecera; la segunda es la " +
                    std::to_string(secondHeader_),
                ""});
  if (tabs_)
    report.Add(NoticeKind::kTabulador,
               {std::string(file_) + ", línea " + std::to_string(firstTab_),
                Counted(tabs_, "línea", "líneas") + " con tabulador; la primera es la " +
                    std::to_string(firstTab_),
                ""});
}

void TellFiles(Report& report, const std::deque<FileWatch>& files) {
  if constexpr (!kNotices) return;
  for (const FileWatch& f : files) f.Tell(report);

  std::vector<const FileWatch*> headed;
  for (const FileWatch& f : files)
    if (f.HasHeader()) headed.push_back(&f);
  if (headed.size() < 2) return;
  bool codesDiffer = false;
  std::optional<int64_t> earliest;
  std::optional<int64_t> latest;
  for (const FileWatch* f : headed) {
    codesDiffer |= f->Code() != headed.front()->Code();
    if (std::optional<int64_t> at = Minutes(f->Date())) {
      earliest = std::min(earliest.value_or(*at), *at);
      latest = std::max(latest.value_or(*at), *at);
    }
  }
  constexpr int64_t kDay = 24 * 60;
  if (!codesDiffer && !(earliest && *latest - *earliest > kDay)) return;
  std::string values;
  for (const FileWatch* f : headed) {
    if (!values.empty()) values += "; ";
    values += std::string(f->File()) + " " + (f->Code().empty() ? "sin código" : f->Code()) + " " +
              ShownDate(f->Date());
  }
  report.Add(NoticeKind::kExportacionesDistintas, {"carpeta de SICE", values, ""});
}

}  // namespace tos
