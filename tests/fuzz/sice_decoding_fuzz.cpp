// The decoding of SICE files over arbitrary bytes: the same text whatever
// the sizes the file and the reader read in, a file taken for Windows-1252
// passed on byte for byte, one byte a character otherwise, and the
// replacements within what was read.
// Input: byte 0 the read size the file system hands out (0: whole), byte 1
// the reader's (0: 64 KiB), then the file's bytes.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "data/sice_encoding.h"
#include "data/text.h"
#include "memory_fs.h"

namespace {

[[noreturn]] void Broken(const char* what) {
  std::fprintf(stderr, "broken rule: %s\n", what);
  std::abort();
}

std::string ReadAll(tos::fuzz::MemoryFileSystem& files, size_t chunk, tos::FileDecoding& decoding) {
  tos::SiceStream stream(files.OpenRead("/f"), "/f", &decoding);
  std::string out(chunk, '\0');
  std::string text;
  for (size_t n; (n = stream.Read(out.data(), chunk)) > 0;) {
    if (n > chunk) Broken("read more than asked");
    text.append(out.data(), n);
  }
  return text;
}

// Well-formed UTF-8, told by the program's own plain decoder: it gives
// U+FFFD for every ill-formed byte (and for EF BF BD, U+FFFD itself).
bool WellFormedUtf8(const std::string& bytes, size_t& characters) {
  characters = 0;
  for (size_t i = 0; i < bytes.size(); ++characters) {
    size_t at = i;
    if (tos::text::NextUtf8(bytes, i) == 0xFFFD && bytes.compare(at, 3, "\xEF\xBF\xBD") != 0)
      return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  tos::fuzz::MemoryFileSystem files;
  files.readChunk = data[0];
  size_t chunk = data[1] ? data[1] : 1 << 16;
  std::string bytes(reinterpret_cast<const char*>(data + 2), size - 2);
  files.Put("/f", bytes);
  tos::fs::ScopedFileSystem scope(files);

  tos::FileDecoding decoding;
  std::string text = ReadAll(files, chunk, decoding);
  tos::FileDecoding once;
  files.readChunk = 0;
  if (ReadAll(files, 1 << 16, once) != text) Broken("text depends on the read sizes");
  if (once.encoding != decoding.encoding || once.replacedCount != decoding.replacedCount)
    Broken("guess depends on the read sizes");
  if (files.OpenHandles() != 0) Broken("a file left open");

  using tos::SiceEncoding;
  bool anyHigh = std::any_of(bytes.begin(), bytes.end(), [](char c) { return c & 0x80; });
  size_t characters = 0;
  switch (decoding.encoding) {
    case SiceEncoding::kWindows1252:
      if (text != bytes) Broken("Windows-1252 not passed on as it is");
      if (anyHigh && !bytes.starts_with("\xEF\xBB\xBF") && WellFormedUtf8(bytes, characters))
        Broken("well-formed UTF-8 taken for Windows-1252");
      if (decoding.replacedCount) Broken("replacements in Windows-1252");
      break;
    case SiceEncoding::kUtf8:
      if (!anyHigh || !WellFormedUtf8(bytes, characters)) Broken("UTF-8 guessed wrongly");
      if (text.size() != characters) Broken("not one byte a character");
      break;
    case SiceEncoding::kUtf8Mark:
      if (!bytes.starts_with("\xEF\xBB\xBF")) Broken("UTF-8 mark");
      if (text.size() > bytes.size() - 3) Broken("more characters than bytes");
      break;
    case SiceEncoding::kUtf16LeMark:
    case SiceEncoding::kUtf16BeMark:
      if (!bytes.starts_with(decoding.encoding == SiceEncoding::kUtf16LeMark ? "\xFF\xFE"
                                                                             : "\xFE\xFF"))
        Broken("UTF-16 mark");
      if (text.size() > (bytes.size() - 2 + 1) / 2 || text.size() < (bytes.size() - 2 + 1) / 4)
        Broken("UTF-16 characters");
      break;
  }
  if (decoding.replacedCount > text.size()) Broken("more replacements than characters");
  if (decoding.replaced.size() !=
      std::min<uint64_t>(decoding.replacedCount, tos::FileDecoding::kKept))
    Broken("replacements kept");
  uint64_t lines = 1 + static_cast<uint64_t>(std::count(text.begin(), text.end(), '\n'));
  uint64_t previous = 1;
  for (const tos::Replaced& r : decoding.replaced) {
    if (r.line < previous || r.line > lines) Broken("replacement's line");
    previous = r.line;
    if (r.bytes.empty() == (r.character == 0)) Broken("replacement is a character or bytes");
  }
  return 0;
}
