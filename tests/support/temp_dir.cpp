#include "support/temp_dir.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "data/files.h"
#include "data/text.h"

namespace tos::test {

namespace stdfs = std::filesystem;

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  stdfs::path base = stdfs::temp_directory_path();
  for (int attempt = 0;; ++attempt) {
    stdfs::path candidate =
        base / ("tos-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::error_code ec;
    if (stdfs::create_directory(candidate, ec)) {
      path_ = candidate.string();
      return;
    }
    if (attempt > 100) throw std::runtime_error("cannot make a temporary folder");
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  stdfs::remove_all(path_, ec);
}

std::string TempDir::File(const std::string& name) const {
  return fs::Join(path_, name);
}

std::string TempDir::MakeDir(const std::string& name) const {
  std::string dir = File(name);
  stdfs::create_directories(dir);
  return dir;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

void WriteLines(const std::string& path, const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) bytes += line + "\r\n";
  WriteFile(path, bytes);
}

std::string AsUtf16(const std::string& cp1252, bool littleEndian) {
  std::string out = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
  for (char16_t u : text::Utf8ToUtf16(text::Cp1252ToUtf8(cp1252))) {
    char low = static_cast<char>(u & 0xFF), high = static_cast<char>(u >> 8);
    out += littleEndian ? std::string{low, high} : std::string{high, low};
  }
  return out;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return stdfs::exists(path, ec);
}

std::string SourceDir() {
  const char* dir = std::getenv("TOS_SOURCE_DIR");
  return dir ? dir : ".";
}

}  // namespace tos::test
