// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#include <string>
#include <vector>

namespace tos::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }
  // Path() joined with name by the platform's separator.
  std::string File(const std::string& name) const;
  // Makes a sub-folder and returns its path.
  std::string MakeDir(const std::string& name) const;

 private:
  std::string path_;
};

// Whole-file helpers for fixtures (bytes, no conversion).
void WriteFile(const std::string& path, const std::string& bytes);
// The lines, each followed by CR LF, as SICE writes its files.
void WriteLines(const std::string& path, const std::vector<std::string>& lines);
std::string ReadFile(const std::string& path);
// Windows-1252 bytes as a text editor saves them "as Unicode": UTF-16 with
// its mark, little- or big-endian.
std::string AsUtf16(const std::string& cp1252, bool littleEndian);
bool Exists(const std::string& path);

// The repository's folder (TOS_SOURCE_DIR, set by ctest), for samples/.
std::string SourceDir();

}  // namespace tos::test
