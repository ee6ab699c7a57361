#include "support/run_cli.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "data/text.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace tos::test {

std::string CliPath() {
  const char* env = std::getenv("TOS_CLI");
  std::string path = env ? env : "";
#ifdef _WIN32
  if (!path.empty() && path[0] == '/') {
    for (char& c : path) {
      if (c == '/') c = '\\';
    }
    path = "Z:" + path;
  }
#endif
  return path;
}

std::string ShellQuote(const std::string& arg) {
#ifdef _WIN32
  return "\"" + arg + "\"";
#else
  std::string quoted = "'";
  for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
#endif
}

std::string ProgramCommand(const std::string& path) {
  const char* loader = std::getenv("TOS_LOADER");
  if (!loader || !*loader) return ShellQuote(path);
  return ShellQuote(loader) + " " + ShellQuote(path);
}

int RunShell(const std::string& command) {
#ifdef _WIN32
  // cmd.exe drops the outer pair of quotes of a command that starts with one.
  // The wide call passes every character of a UTF-8 path, as a shell would.
  std::u16string wide = text::Utf8ToUtf16("\"" + command + "\"");
  return _wsystem(reinterpret_cast<const wchar_t*>(wide.c_str()));
#else
  int raw = std::system(command.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
}

CliRun RunCli(const TempDir& temp, const std::vector<std::string>& args) {
  CliRun run;
  std::string cli = CliPath();
  if (cli.empty()) {
    ADD_FAILURE() << "TOS_CLI does not name the converter";
    return run;
  }
  std::string out = temp.File("stdout.txt");
  std::string err = temp.File("stderr.txt");
  std::string command = ProgramCommand(cli);
  for (const std::string& arg : args) command += " " + ShellQuote(arg);
  command += " >" + ShellQuote(out) + " 2>" + ShellQuote(err);
  run.status = RunShell(command);
  if (Exists(out)) run.out = ReadFile(out);
  if (Exists(err)) run.err = ReadFile(err);
  std::string line;
  for (char c : run.err) {
    if (c == '\r') continue;
    line += c;
    if (c != '\n') continue;
    if (line.rfind("Informe: ", 0) == 0)
      run.page = line.substr(9, line.size() - 10);
    else
      (line.rfind("Avisos: ", 0) == 0 ? run.notices : run.messages) += line;
    line.clear();
  }
  run.messages += line;
  return run;
}

}  // namespace tos::test
