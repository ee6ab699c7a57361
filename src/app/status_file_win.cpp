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

// Wine's private-profile API rewrites the whole file from what it parsed:
// blank lines go and a final line end is added. Orvalent run under Wine
// keeps its own settings in the file, so there the file is edited by our
// own code, which changes nothing but the one entry.
bool UnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}
}  // namespace

void WriteStatusFile(const std::string& path, int32_t value) {
  std::wstring file = Wide(path);
  // Windows refuses a read-only file by itself, but a process with every
  // right (an administrator's, or root's under Wine) would write it anyway.
  DWORD attributes = GetFileAttributesW(file.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    throw Error(Format("Unable to write to %s", path));
  }
  if (UnderWine()) {
    EditStatusFile(path, value);
    return;
  }
  if (!WritePrivateProfileStringW(Wide(kStatusSection).c_str(), Wide(kStatusKey).c_str(),
                                  std::to_wstring(value).c_str(), file.c_str())) {
    throw Error(Format("Unable to write to %s", path));
  }
}

}  // namespace tos
