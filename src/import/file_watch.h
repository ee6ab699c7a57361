// What a SICE file's own lines tell of where it came from: whether it is
// whole, whether two exports were joined in it, whether it is another SICE
// file under this one's name, whether a spreadsheet saved it; and how its
// characters were read. The import hands it every line it reads; once the
// run has read its files, TellFiles turns what was seen into notices. Only
// notices: what the import does with the lines stays the same.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "data/sice_encoding.h"
#include "report/report.h"

namespace tos {

class FileWatch {
 public:
  FileWatch(const char* file, const char* selfName) : file_(file), selfName_(selfName) {}

  // Sees the next line of the file and tells whether it is a data line
  // (EsLineaDeDatos with the file's self-name).
  bool See(std::string_view line);
  // The file was read to its end (a run stopped by an error reads less,
  // and a file read in part is not called incomplete).
  void ReadToEnd() { whole_ = true; }
  // Where the reader puts how the file's characters were read.
  FileDecoding decoding;

  const char* File() const { return file_; }
  bool HasHeader() const { return headers_ > 0; }
  const std::string& Code() const { return code_; }  // columns 52-59 of the first header
  const std::string& Date() const { return date_; }  // columns 60-71: ddmmyyyyhhnn

  // The notices of this file alone.
  void Tell(Report& report) const;

 private:
  void Header(std::string_view line);
  void Trailer(std::string_view line);
  void Found(NoticeKind kind, Notice notice);
  // Data lines that no trailer has closed yet: a copy that stopped half way.
  std::optional<Notice> Unclosed() const;

  const char* file_;
  std::string_view selfName_;
  uint64_t lines_ = 0;
  uint64_t headers_ = 0;
  uint64_t secondHeader_ = 0;  // its line
  uint64_t tabs_ = 0;
  uint64_t firstTab_ = 0;
  uint64_t data_ = 0;      // data lines since the last header or trailer
  uint64_t lastData_ = 0;  // the line of the last data line
  bool whole_ = false;
  std::string code_;
  std::string date_;
  // What the headers and trailers told, a few per file.
  std::vector<std::pair<NoticeKind, Notice>> found_;
};

// The notices of every file the run read, then the one of files that come
// from different exports (header codes that differ, or dates more than a
// day apart).
void TellFiles(Report& report, const std::deque<FileWatch>& files);

}  // namespace tos
