// The status entry goes through the private-profile API, which keeps every
// other line of the file and creates what is missing.
#include <windows.h>

#include "app/status_file.h"
#include "data/error.h"
#include "data/text.h"

namespace tos {

namespace {
std::wstring Wide(const std::string& utf8) {
  std::u16string w = text::Utf8ToUtf16(utf8);
  return std::wstring(w.begin(), w.end());
}
}  // namespace

void WriteStatusFile(const std::string& path, int32_t value) {
  std::wstring file = Wide(path);
  // Windows refuses a read-only file by itself, but a process with every
  // right (an administrator's, or root's under Wine) would write it anyway.
  DWORD attributes = GetFileAttributesW(file.c_str());
  bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
  if (readOnly || !WritePrivateProfileStringW(Wide(kStatusSection).c_str(),
                                              Wide(kStatusKey).c_str(),
                                              std::to_wstring(value).c_str(), file.c_str())) {
    throw Error(Format("Unable to write to %s", path));
  }
}

}  // namespace tos
