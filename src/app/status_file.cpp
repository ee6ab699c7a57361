#include "app/status_file.h"

#include <memory>
#include <string_view>
#include <vector>

#include "data/error.h"
#include "data/files.h"
#include "data/text.h"

namespace tos {

std::string StatusFilePath(const std::string& programFolder) {
  return fs::Join(programFolder, kStatusFileName);
}

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() &&
         (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
    s.remove_suffix(1);
  return s;
}

// The section a line opens, or nothing when it opens none.
std::optional<std::string_view> SectionOf(std::string_view line) {
  std::string_view t = Trim(line);
  if (t.size() < 2 || t.front() != '[') return std::nullopt;
  size_t close = t.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(t.substr(1, close - 1));
}

bool IsKeyLine(std::string_view line, std::string_view key) {
  std::string_view t = Trim(line);
  if (t.empty() || t.front() == ';') return false;
  size_t eq = t.find('=');
  if (eq == std::string_view::npos) return false;
  return text::EqualIgnoringAsciiCase(Trim(t.substr(0, eq)), key);
}

}  // namespace

std::string SetIniValue(const std::string& content, const std::string& section,
                        const std::string& key, const std::string& value) {
  const std::string eol = content.find("\r\n") != std::string::npos || content.empty() ? "\r\n"
                          : content.find('\n') != std::string::npos                    ? "\n"
                                                                                       : "\r\n";
  // Lines with their own line ends, so that the last one may lack one.
  std::vector<std::string> lines;
  for (size_t at = 0; at < content.size();) {
    size_t nl = content.find('\n', at);
    size_t end = nl == std::string::npos ? content.size() : nl + 1;
    lines.push_back(content.substr(at, end - at));
    at = end;
  }
  auto ensureEnded = [&](size_t i) {
    if (!lines[i].empty() && lines[i].back() != '\n') lines[i] += eol;
  };
  const std::string entry = key + "=" + value + eol;

  bool inSection = false;
  std::optional<size_t> lastOfSection;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string_view body(lines[i]);
    if (auto name = SectionOf(body)) {
      if (inSection) break;
      inSection = text::EqualIgnoringAsciiCase(*name, section);
      if (inSection) lastOfSection = i;
      continue;
    }
    if (!inSection) continue;
    if (IsKeyLine(body, key)) {
      bool ended = !lines[i].empty() && lines[i].back() == '\n';
      std::string lineEnd =
          ended ? (lines[i].size() > 1 && lines[i][lines[i].size() - 2] == '\r' ? "\r\n" : "\n")
                : "";
      lines[i] = key + "=" + value + lineEnd;
      std::string out;
      for (const std::string& l : lines) out += l;
      return out;
    }
    if (!Trim(body).empty()) lastOfSection = i;
  }
  if (lastOfSection) {
    ensureEnded(*lastOfSection);
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*lastOfSection) + 1, entry);
  } else {
    if (!lines.empty()) ensureEnded(lines.size() - 1);
    lines.push_back("[" + section + "]" + eol);
    lines.push_back(entry);
  }
  std::string out;
  for (const std::string& l : lines) out += l;
  return out;
}

void EditStatusFile(const std::string& path, int32_t value) {
  fs::FileSystem& files = fs::Current();
  const std::string beside = path + ".nuevo";
  bool wroteBeside = false;
  try {
    std::string content;
    if (files.FindFile(path)) {
      std::unique_ptr<fs::ReadStream> in = files.OpenRead(path);
      char buffer[4096];
      for (size_t n; (n = in->Read(buffer, sizeof buffer)) > 0;) content.append(buffer, n);
    }
    std::string updated = SetIniValue(content, kStatusSection, kStatusKey, std::to_string(value));
    {
      std::unique_ptr<fs::WriteStream> out = files.Create(beside);
      wroteBeside = true;
      out->Write(updated.data(), updated.size());
      out->Close();
    }
    files.Rename(beside, path);
  } catch (const Error&) {
    if (wroteBeside) {
      try {
        files.Remove(beside);
      } catch (const Error&) {
        // Left behind; the next write replaces it.
      }
    }
    throw Error(Format("Unable to write to %s", path));
  }
}

}  // namespace tos
