#include <windows.h>
// After windows.h, which they need.
#include <fcntl.h>
#include <io.h>

#include <clocale>
#include <cstdio>

#include "cli/console.h"
#include "data/text.h"

namespace tos::cli {

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

// Wide: the ANSI arguments cannot hold every folder name. (The C library
// splits the command line, so shell32, whose start costs Wine some 50 ms,
// is not loaded for it.)
int wmain(int argc, wchar_t** argv) {
  std::setlocale(LC_ALL, "");
  SetConsoleOutputCP(CP_UTF8);
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i)
    args.push_back(tos::text::Utf16ToUtf8(reinterpret_cast<const char16_t*>(argv[i])));
  return tos::cli::Run(args);
}
