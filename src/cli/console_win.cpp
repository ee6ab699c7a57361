#include <windows.h>
// After windows.h, which they need.
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <clocale>
#include <cstdio>

#include "cli/console.h"
#include "data/text.h"

namespace tos::cli {

std::vector<std::string> StartConsole(int, char**) {
  std::setlocale(LC_ALL, "");
  SetConsoleOutputCP(CP_UTF8);
  // The ANSI argv cannot hold every folder name: take the wide one.
  std::vector<std::string> args;
  int count = 0;
  if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
    for (int i = 1; i < count; ++i) {
      std::u16string w(reinterpret_cast<const char16_t*>(wide[i]));
      args.push_back(text::Utf16ToUtf8(w));
    }
    LocalFree(wide);
  }
  return args;
}

void BinaryStdout() {
  _setmode(_fileno(stdout), _O_BINARY);
}

std::string DefaultOtemp() {
  return "C:\\OTEMP";
}

std::string TemporaryFolder() {
  wchar_t buffer[MAX_PATH + 1] = {};
  DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
  if (length == 0 || length > MAX_PATH) return ".";
  return text::Utf16ToUtf8(std::u16string(buffer, buffer + length));
}

}  // namespace tos::cli
