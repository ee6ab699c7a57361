#include "app/folder_path.h"

namespace tos {

namespace {
bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

std::vector<std::string> SplitParts(std::string_view s) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : s) {
    if (IsSeparator(c)) {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

// The root of a path: "C:\" for a drive, "\\server\share\" for a share,
// "\" otherwise; rest gets what follows it.
std::string RootOf(const std::string& path, std::string& rest) {
  if (path.size() >= 2 && path[1] == ':') {
    rest = path.substr(2);
    return path.substr(0, 2) + "\\";
  }
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    std::vector<std::string> parts = SplitParts(path);
    std::string root = "\\\\";
    for (size_t i = 0; i < parts.size() && i < 2; ++i) root += parts[i] + "\\";
    rest.clear();
    for (size_t i = 2; i < parts.size(); ++i) rest += "\\" + parts[i];
    return root;
  }
  rest = path;
  return "\\";
}
}  // namespace

std::string NormalizeFolder(std::string path) {
  std::string rest;
  std::string root = RootOf(path, rest);
  std::vector<std::string> parts = SplitParts(rest);
  std::string out = root;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += "\\";
    out += parts[i];
  }
  return out;
}

std::string DriveOf(const std::string& path) {
  if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
  return "";
}

std::vector<FolderEntry> FolderEntries(const std::string& current,
                                       const std::vector<std::string>& subfolders) {
  std::string rest;
  std::string root = RootOf(NormalizeFolder(current), rest);
  std::vector<std::string> parts = SplitParts(rest);
  std::vector<FolderEntry> entries;
  entries.push_back({root, root, 0, true, parts.empty()});
  std::string path = root;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) path += "\\";
    path += parts[i];
    entries.push_back({parts[i], path, static_cast<int>(i) + 1, true, i + 1 == parts.size()});
  }
  const int subIndent = static_cast<int>(parts.size()) + 1;
  for (const std::string& sub : subfolders) {
    std::string subPath = parts.empty() ? root + sub : path + "\\" + sub;
    entries.push_back({sub, subPath, subIndent, false, false});
  }
  return entries;
}

std::string ShortenPath(const std::string& path, int maxWidth,
                        const std::function<int(std::string_view)>& measure) {
  if (measure(path) <= maxWidth) return path;
  std::string rest;
  std::string root = RootOf(path, rest);
  std::vector<std::string> parts = SplitParts(rest);
  if (parts.empty()) return path;
  // Drop leading folders while the drive stays.
  for (size_t drop = 1; drop < parts.size(); ++drop) {
    std::string candidate = root + "...";
    for (size_t i = drop; i < parts.size(); ++i) candidate += "\\" + parts[i];
    if (measure(candidate) <= maxWidth) return candidate;
  }
  std::string tail = "...\\" + parts.back();
  if (measure(tail) <= maxWidth) return tail;
  // Even the name alone is too wide: cut it, keeping the dots in front.
  std::string name = parts.back();
  while (!name.empty() && measure("..." + name) > maxWidth) {
    // Whole UTF-8 characters only.
    size_t start = name.size() - 1;
    while (start > 0 && (static_cast<unsigned char>(name[start]) & 0xC0) == 0x80) --start;
    name.erase(start);
  }
  return "..." + name;
}

}  // namespace tos
