#include "data/files.h"

namespace tos::fs {

namespace {
FileSystem* current = nullptr;
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
  if (i == 1 || IsDriveRoot(path, i)) return path.substr(0, i);
  return path.substr(0, i - 1);
}

std::string BaseName(const std::string& path) {
  size_t i = path.size();
  while (i > 0 && !IsSeparator(path[i - 1])) --i;
  return path.substr(i);
}

bool HasExtension(const std::string& path) {
  return BaseName(path).find('.') != std::string::npos;
}

std::string Extension(const std::string& path) {
  std::string base = BaseName(path);
  size_t dot = base.rfind('.');
  return dot == std::string::npos ? "" : base.substr(dot);
}

std::string WithExtension(const std::string& path, const std::string& ext) {
  std::string base = BaseName(path);
  size_t dot = base.rfind('.');
  std::string stem = dot == std::string::npos ? path : path.substr(0, path.size() - base.size() + dot);
  return stem + ext;
}

}  // namespace tos::fs
