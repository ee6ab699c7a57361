#include "data/files.h"

namespace tos::fs {

namespace {
FileSystem* current = nullptr;

bool IsSeparator(char c) {
#ifdef _WIN32
  return c == '\\' || c == '/';
#else
  return c == '/';
#endif
}
}  // namespace

FileSystem& Current() { return current ? *current : Real(); }

ScopedFileSystem::ScopedFileSystem(FileSystem& fs) : previous_(current) { current = &fs; }
ScopedFileSystem::~ScopedFileSystem() { current = previous_; }

std::string Join(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (IsSeparator(folder.back())) return folder + name;
  return folder + kSeparator + name;
}

std::string Parent(const std::string& path) {
  size_t i = path.size();
  while (i > 0 && !IsSeparator(path[i - 1])) --i;
  if (i == 0) return "";
  // Keep a root ("/" or "C:\") whole.
  if (i == 1) return path.substr(0, 1);
#ifdef _WIN32
  if (i == 3 && path[1] == ':') return path.substr(0, 3);
#endif
  return path.substr(0, i - 1);
}

std::string BaseName(const std::string& path) {
  size_t i = path.size();
  while (i > 0 && !IsSeparator(path[i - 1])) --i;
  return path.substr(i);
}

}  // namespace tos::fs
