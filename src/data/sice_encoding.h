// The character encoding of a SICE file. SICE writes Windows-1252, one byte
// a character, and such a file is read byte for byte. A file that passed
// through an editor may arrive as UTF-8 (with or without the mark EF BB BF)
// or as UTF-16 with its mark (FF FE, FE FF); it is turned into Windows-1252
// a character at a time before any line rule applies, so that columns count
// characters as SICE meant them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/files.h"

namespace tos {

enum class SiceEncoding { kWindows1252, kUtf8, kUtf8Mark, kUtf16LeMark, kUtf16BeMark };

// "UTF-8 sin marca", "UTF-16 LE con marca" ...; "Windows-1252".
std::string_view EncodingName(SiceEncoding encoding);

// A character of a decoded file that Windows-1252 lacks, and what took its
// place: its base letter, or "?". Bytes that form no character (malformed
// UTF-8, a lone UTF-16 surrogate, an odd last byte) become "?" too.
struct Replaced {
  uint64_t line = 0;       // 1-based, counted by the LFs before it
  char32_t character = 0;  // the code point (a lone surrogate's own unit)
  std::string bytes;       // the bytes that form no character; empty otherwise
  char became = '?';       // the Windows-1252 byte written instead
};

// What reading a file guessed and changed.
struct FileDecoding {
  static constexpr size_t kKept = 1000;  // replacements kept; the count is exact
  SiceEncoding encoding = SiceEncoding::kWindows1252;
  std::vector<Replaced> replaced;
  uint64_t replacedCount = 0;
};

// The Windows-1252 byte of a code point, exact or its base letter; '?' when
// there is none. exact tells which.
char ToWindows1252(char32_t character, bool& exact);

// A SICE file's bytes as Windows-1252. A file with a mark is decoded by its
// mark. A file without one is UTF-8 when every byte above 127 belongs to a
// well-formed UTF-8 sequence and there is at least one; every other file is
// Windows-1252 and passes through untouched. Bytes are passed on as they are up
// to the first one above 127; only when that one begins a well-formed
// sequence is the whole file looked through (a second open of path) to
// decide. Failures of the file are the seam's own errors.
class SiceStream : public fs::ReadStream {
 public:
  // decoding receives what was guessed and replaced; it must outlive the
  // stream (nullptr: kept inside).
  SiceStream(std::unique_ptr<fs::ReadStream> file, std::string path, FileDecoding* decoding);
  size_t Read(char* out, size_t size) override;

 private:
  enum class Mode { kStart, kSniff, kPlain, kUtf8, kUtf16Le, kUtf16Be };
  void Start();
  size_t Sniff(char* out, size_t size);
  bool WholeFileIsUtf8();
  size_t Decode(char* out, size_t size);
  bool FillRaw();
  void Put(char*& out, char32_t character, std::string_view bytes);

  std::unique_ptr<fs::ReadStream> file_;
  std::string path_;
  FileDecoding own_;
  FileDecoding* decoding_;
  Mode mode_ = Mode::kStart;
  std::vector<char> raw_;  // bytes read and not yet given out
  size_t begin_ = 0;
  size_t end_ = 0;
  bool eof_ = false;
  uint64_t lines_ = 0;  // LFs given out in a decoded file
};

}  // namespace tos
