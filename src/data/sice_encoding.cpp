#include "data/sice_encoding.h"

#include <algorithm>
#include <cstring>

#include "data/text.h"

namespace tos {

namespace {

constexpr size_t kChunk = 1 << 16;
constexpr char32_t kBad = 0xFFFFFFFF;

// For each character Windows-1252 lacks but whose base letter it has, in
// code point order.
struct BaseLetter {
  char32_t character;
  unsigned char letter;
};
constexpr BaseLetter kBaseLetters[] = {
#include "data/unicode_fallback.inc"
};

// The UTF-8 character at p, of which avail (at least 1) bytes are there:
// its code point and, in length, its bytes. kBad for an ill-formed
// sequence, with length the bytes of its ill-formed part; length 0 when
// avail ends inside a sequence that is well formed so far.
char32_t StepUtf8(const unsigned char* p, size_t avail, size_t& length) {
  unsigned char lead = p[0];
  if (lead < 0x80) {
    length = 1;
    return lead;
  }
  size_t need;
  char32_t character;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    need = 2;
    character = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    need = 3;
    character = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    need = 4;
    character = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing past U+10FFFF
  } else {
    length = 1;
    return kBad;
  }
  for (size_t k = 1; k < need; ++k) {
    if (k >= avail) {
      length = 0;
      return kBad;
    }
    unsigned char next = p[k];
    if (next < low || next > high) {
      length = k;
      return kBad;
    }
    low = 0x80;
    high = 0xBF;
    character = character << 6 | (next & 0x3F);
  }
  length = need;
  return character;
}

// The place of the first byte above 127 in [p, p + n), or n; eight bytes at
// a time, since a plain ASCII file is looked through whole.
size_t FirstHigh(const char* p, size_t n) {
  constexpr uint64_t kHigh = 0x8080808080808080u;
  size_t i = 0;
  for (; i + 32 <= n; i += 32) {
    uint64_t word[4];
    std::memcpy(word, p + i, 32);
    if ((word[0] | word[1] | word[2] | word[3]) & kHigh) break;
  }
  for (; i + 8 <= n; i += 8) {
    uint64_t word;
    std::memcpy(&word, p + i, 8);
    if (word & kHigh) break;
  }
  while (i < n && !(p[i] & 0x80)) ++i;
  return i;
}

bool IsHighSurrogate(char32_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char32_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

std::string_view EncodingName(SiceEncoding encoding) {
  switch (encoding) {
    case SiceEncoding::kWindows1252:
      return "Windows-1252";
    case SiceEncoding::kUtf8:
      return "UTF-8 sin marca";
    case SiceEncoding::kUtf8Mark:
      return "UTF-8 con marca";
    case SiceEncoding::kUtf16LeMark:
      return "UTF-16 LE con marca";
    case SiceEncoding::kUtf16BeMark:
      return "UTF-16 BE con marca";
  }
  return "";
}

char ToWindows1252(char32_t character, bool& exact) {
  char byte = text::Cp1252FromUnicode(character);
  exact = byte != '?' || character == '?';
  if (exact) return byte;
  auto at = std::lower_bound(
      std::begin(kBaseLetters), std::end(kBaseLetters), character,
      [](const BaseLetter& base, char32_t wanted) { return base.character < wanted; });
  if (at != std::end(kBaseLetters) && at->character == character)
    return static_cast<char>(at->letter);
  return '?';
}

SiceStream::SiceStream(std::unique_ptr<fs::ReadStream> file, std::string path,
                       FileDecoding* decoding)
    : file_(std::move(file)), path_(std::move(path)), decoding_(decoding ? decoding : &own_) {
  *decoding_ = FileDecoding{};
}

size_t SiceStream::Read(char* out, size_t size) {
  if (size == 0) return 0;
  if (mode_ == Mode::kStart) Start();
  switch (mode_) {
    case Mode::kPlain:
      if (begin_ < end_) {
        size_t n = std::min(size, end_ - begin_);
        std::memcpy(out, raw_.data() + begin_, n);
        begin_ += n;
        return n;
      }
      return file_->Read(out, size);
    case Mode::kSniff:
      return Sniff(out, size);
    default:
      return Decode(out, size);
  }
}

// Reads the first bytes and looks for a mark.
void SiceStream::Start() {
  raw_.resize(kChunk);
  while (end_ < 3 && !eof_) {
    size_t n = file_->Read(raw_.data() + end_, raw_.size() - end_);
    eof_ = n == 0;
    end_ += n;
  }
  std::string_view head(raw_.data(), end_);
  mode_ = Mode::kSniff;
  if (head.starts_with("\xEF\xBB\xBF")) {
    begin_ = 3;
    mode_ = Mode::kUtf8;
    decoding_->encoding = SiceEncoding::kUtf8Mark;
  } else if (head.starts_with("\xFF\xFE")) {
    begin_ = 2;
    mode_ = Mode::kUtf16Le;
    decoding_->encoding = SiceEncoding::kUtf16LeMark;
  } else if (head.starts_with("\xFE\xFF")) {
    begin_ = 2;
    mode_ = Mode::kUtf16Be;
    decoding_->encoding = SiceEncoding::kUtf16BeMark;
  }
}

// A file without a mark: passed on as it is up to its first byte above
// 127, which decides.
size_t SiceStream::Sniff(char* out, size_t size) {
  size_t got;
  if (begin_ < end_) {
    got = std::min(size, end_ - begin_);
    std::memcpy(out, raw_.data() + begin_, got);
    begin_ += got;
  } else {
    got = file_->Read(out, size);
  }
  size_t at = FirstHigh(out, got);
  if (at == got) return got;
  const auto* bytes = reinterpret_cast<const unsigned char*>(out);

  size_t length;
  bool malformed = StepUtf8(bytes + at, got - at, length) == kBad && length != 0;
  if (malformed || !WholeFileIsUtf8()) {
    mode_ = Mode::kPlain;
    return got;
  }
  mode_ = Mode::kUtf8;
  decoding_->encoding = SiceEncoding::kUtf8;
  lines_ = static_cast<uint64_t>(std::count(out, out + at, '\n'));
  // What follows the first byte above 127 is decoded: it goes back before
  // the bytes not yet given out.
  std::vector<char> rest(out + at, out + got);
  rest.insert(rest.end(), raw_.begin() + static_cast<std::ptrdiff_t>(begin_),
              raw_.begin() + static_cast<std::ptrdiff_t>(end_));
  end_ = rest.size();
  begin_ = 0;
  rest.resize(std::max(end_, kChunk));
  raw_ = std::move(rest);
  return at > 0 ? at : Decode(out, size);
}

// Whether every byte above 127 of the whole file belongs to a well-formed
// UTF-8 sequence (and one does).
bool SiceStream::WholeFileIsUtf8() {
  std::unique_ptr<fs::ReadStream> file = fs::Current().OpenRead(path_);
  std::vector<char> buffer(kChunk);
  const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.data());
  size_t carry = 0;  // the start of a sequence cut by the last read
  bool any = false;
  for (;;) {
    size_t got = file->Read(buffer.data() + carry, buffer.size() - carry);
    size_t avail = carry + got;
    size_t i = 0;
    while ((i += FirstHigh(buffer.data() + i, avail - i)) < avail) {
      size_t length;
      char32_t character = StepUtf8(bytes + i, avail - i, length);
      if (length == 0) break;
      if (character == kBad) return false;
      any = true;
      i += length;
    }
    if (got == 0) return i == avail && any;
    carry = avail - i;
    std::memmove(buffer.data(), buffer.data() + i, carry);
  }
}

// Keeps the unread bytes at the front and reads more after them.
bool SiceStream::FillRaw() {
  if (eof_) return false;
  std::memmove(raw_.data(), raw_.data() + begin_, end_ - begin_);
  end_ -= begin_;
  begin_ = 0;
  size_t got = file_->Read(raw_.data() + end_, raw_.size() - end_);
  eof_ = got == 0;
  end_ += got;
  return !eof_;
}

// Every character gives one Windows-1252 byte.
size_t SiceStream::Decode(char* out, size_t size) {
  char* o = out;
  char* const stop = out + size;
  while (o < stop) {
    // At least one whole character (4 bytes) is there unless the file ends
    // (a read may give fewer bytes than asked for).
    while (end_ - begin_ < 4 && FillRaw()) {
    }
    if (begin_ == end_) break;
    const auto* p = reinterpret_cast<const unsigned char*>(raw_.data() + begin_);
    size_t avail = end_ - begin_;
    if (mode_ == Mode::kUtf8) {
      if (p[0] < 0x80) {
        size_t n = 0;
        size_t limit = std::min(avail, static_cast<size_t>(stop - o));
        for (; n < limit && p[n] < 0x80; ++n) {
          o[n] = static_cast<char>(p[n]);
          if (p[n] == '\n') ++lines_;
        }
        o += n;
        begin_ += n;
        continue;
      }
      size_t length;
      char32_t character = StepUtf8(p, avail, length);
      if (length == 0) length = avail;  // cut by the end of the file
      Put(o, character,
          character == kBad ? std::string_view(raw_.data() + begin_, length) : std::string_view());
      begin_ += length;
      continue;
    }
    if (avail < 2) {  // an odd last byte
      Put(o, kBad, std::string_view(raw_.data() + begin_, 1));
      begin_ += 1;
      continue;
    }
    auto unitAt = [&](size_t k) -> char32_t {
      return mode_ == Mode::kUtf16Le ? p[k] | p[k + 1] << 8 : p[k] << 8 | p[k + 1];
    };
    char32_t unit = unitAt(0);
    if (IsHighSurrogate(unit) && avail >= 4 && IsLowSurrogate(unitAt(2))) {
      Put(o, 0x10000 + ((unit - 0xD800) << 10) + (unitAt(2) - 0xDC00), {});
      begin_ += 4;
    } else {
      Put(o, unit, {});  // a lone surrogate has no Windows-1252 byte either
      begin_ += 2;
    }
  }
  return static_cast<size_t>(o - out);
}

// Writes the Windows-1252 byte of a character (kBad: of the bytes that
// form none) and notes what was replaced.
void SiceStream::Put(char*& out, char32_t character, std::string_view bytes) {
  char byte = '?';
  if (character != kBad) {
    bool exact;
    byte = ToWindows1252(character, exact);
    *out++ = byte;
    if (byte == '\n') ++lines_;
    if (exact) return;
  } else {
    *out++ = byte;
  }
  ++decoding_->replacedCount;
  if (decoding_->replaced.size() < FileDecoding::kKept)
    decoding_->replaced.push_back(
        {lines_ + 1, character == kBad ? 0 : character, std::string(bytes), byte});
}

}  // namespace tos
