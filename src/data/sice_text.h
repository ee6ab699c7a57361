// SICE's fixed-width text files: finding them, the two ways their lines are
// read, telling data lines apart, cutting fields, and building and writing
// lines. File contents are Windows-1252 bytes and pass through unchanged;
// a file in UTF-8 or UTF-16 is first turned into Windows-1252 (see
// sice_encoding.h), and both readers tell how it was read.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/files.h"
#include "data/sice_encoding.h"

namespace tos {

// The text of an I/O error of the line reader for a platform error code:
// "No se encuentra el archivo" for 2, ..., "Error de E/S %d" for the rest.
std::string IoErrorText(int code);

// Whether a file of that name exists, whatever the letter case of the name
// on disk; a folder does not count.
bool ExisteArchivo(const std::string& path);

// The sequential line reader. Lines end at LF or CR LF; a CR elsewhere is
// left out of the line. Ctrl-Z ends the text: a line holding one ends before
// it and nothing after it is read. It streams, so memory does not grow with
// the file. Failures raise tos::Error with IoErrorText's words.
class LectorLineas {
 public:
  LectorLineas();
  ~LectorLineas();
  LectorLineas(const LectorLineas&) = delete;
  LectorLineas& operator=(const LectorLineas&) = delete;

  // Opens the file for reading, others may read but not write it. The name
  // is matched ignoring letter case. decoding, when given, receives how the
  // file's characters were read; it must outlive the reading.
  void Open(const std::string& path, FileDecoding* decoding = nullptr);
  // True when no line is left.
  bool AtEnd();
  // The next line, without its line end, as a view into the reader's own
  // memory, valid until the next read or Close: no copy for the common line
  // without a CR. Only valid while !AtEnd().
  std::string_view ReadLineView();
  void Close();
  bool IsOpen() const { return file_ != nullptr; }

 private:
  bool Fill();
  std::unique_ptr<SiceStream> file_;
  std::vector<char> buffer_;
  std::string withoutCr_;  // a line whose CRs had to be left out
  size_t begin_ = 0;
  size_t end_ = 0;
  bool eof_ = false;      // the file has no more bytes
  bool stopped_ = false;  // a Ctrl-Z was met
};

// The lines CargarLineas gives, one at a time through a buffer that is
// reused, for a large file that is looked through once: memory grows with
// the longest line, not with the file. Raises what CargarLineas raises, at
// the read that fails.
class WholeFileLines {
 public:
  // What a file is read in, unless told: 64 KiB reads a million lines as fast
  // as 1 MiB did, and a small file no longer pays for zeroing the rest.
  static constexpr size_t kBuffer = 1 << 16;
  explicit WholeFileLines(const std::string& path, size_t bufferSize = kBuffer,
                          FileDecoding* decoding = nullptr);
  ~WholeFileLines();
  WholeFileLines(const WholeFileLines&) = delete;
  WholeFileLines& operator=(const WholeFileLines&) = delete;

  // The next line, valid until the next call; false after the last one.
  bool Next(std::string_view& line);

 private:
  bool Fill();
  std::string path_;
  std::unique_ptr<SiceStream> file_;
  std::vector<char> buffer_;
  size_t begin_ = 0;
  size_t end_ = 0;
  bool eof_ = false;
};

// Reads the whole file into its lines: CR LF, LF or CR end a line. NUL bytes
// at the very end of the file are padding and are dropped, then a final
// Ctrl-Z (the DOS end mark); every other byte is part of the text.
// Raises "Cannot open file "%s". %s" when the file cannot be opened or read.
std::vector<std::string> CargarLineas(const std::string& path, FileDecoding* decoding = nullptr);

// Writes a text file a piece at a time: beside the target under a
// temporary name (path + ".tmp~"), renamed over it by Commit, so a failure
// leaves the old file whole. Going before Commit removes the temporary.
// Every failure raises "Cannot create file "%s". %s".
class EscritorLineas {
 public:
  explicit EscritorLineas(std::string path);
  ~EscritorLineas();
  EscritorLineas(const EscritorLineas&) = delete;
  EscritorLineas& operator=(const EscritorLineas&) = delete;

  // Lines that already end in CR LF, or a piece of them.
  void Write(std::string_view text);
  void Commit();

 private:
  template <typename Step>
  void Guarded(Step step);
  std::string path_;
  std::string temp_;
  std::unique_ptr<fs::WriteStream> out_;
};

// Writes text, whose lines already end in CR LF, as the file path, through
// an EscritorLineas, 64 KiB at a time.
void GuardarLineas(std::string_view text, const std::string& path);

// False for a header line ("0" first), a trailer line ("9" first) and the
// file's self-name line (columns 2-51, trimmed and upper-cased, equal to
// selfName); true for every other line, an empty one included.
bool EsLineaDeDatos(std::string_view line, std::string_view selfName);

// Columns column .. column+length-1 (1-based) of the line, cut at the line's
// end, trimmed of every leading and trailing byte of code 32 or less.
std::string CortarCampo(std::string_view line, size_t column, size_t length);
// The same field as a view into the line. Inline: the imports cut every
// field of every line with it.
inline std::string_view CortarCampoVista(std::string_view line, size_t column, size_t length) {
  if (column == 0 || column > line.size()) return {};
  std::string_view field = line.substr(column - 1, length);
  size_t b = 0;
  size_t e = field.size();
  while (b < e && static_cast<unsigned char>(field[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(field[e - 1]) <= 32) --e;
  return field.substr(b, e - b);
}

// Appends value padded with blanks to width; a longer value is appended
// whole, never cut. At most 95 blanks are added.
void AnadirCampo(std::string& line, std::string_view value, size_t width);

}  // namespace tos
