// The folder list's contents and Label2's text, apart from the platform:
// which entries the list shows for a current folder, where a double click
// leads, and how a long path is shortened to fit.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tos {

struct FolderEntry {
  std::string name;   // "C:\" for the root, else the folder's name
  std::string path;   // the folder the entry stands for
  int indent = 0;     // depth below the root
  bool open = false;  // the root, its path down to the current folder and that folder
  bool current = false;
};

// The entries from the drive root down to the current folder, then the
// current folder's subfolders (already sorted by the caller). Paths are
// Windows paths: "C:\" or "C:\a\b" (a trailing "\" is dropped but at the root).
std::vector<FolderEntry> FolderEntries(const std::string& current,
                                       const std::vector<std::string>& subfolders);

// A path as the folder list holds it: no trailing "\" except at a drive root.
std::string NormalizeFolder(std::string path);

// The drive of a path ("C:"), or "" when it has none.
std::string DriveOf(const std::string& path);

// The path itself when it is no wider than maxWidth; otherwise the leading
// folders after the drive give way to "..." one by one ("C:\...\b\c"), then
// the drive too ("...\c"). measure gives a text's width in pixels.
std::string ShortenPath(const std::string& path, int maxWidth,
                        const std::function<int(std::string_view)>& measure);

}  // namespace tos
