#include <clocale>
#include <cstdlib>

#include "cli/console.h"

namespace tos::cli {

void BinaryStdout() {}

std::string DefaultOtemp() {
  const char* prefix = std::getenv("WINEPREFIX");
  if (prefix && *prefix) return std::string(prefix) + "/drive_c/OTEMP";
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : ".") + "/.wine/drive_c/OTEMP";
}

std::string TemporaryFolder() {
  const char* tmp = std::getenv("TMPDIR");
  return tmp && *tmp ? tmp : "/tmp";
}

}  // namespace tos::cli

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  return tos::cli::Run(std::vector<std::string>(argv + 1, argv + argc));
}
