// The converter's commands. Each command's file registers itself with a
// static CommandRegistration, so main() knows every command linked in.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tos::cli {

// Exit statuses shared by every command.
constexpr int kExitDone = 0;
constexpr int kExitIncomplete = 1;  // the run ended with a missing file or folder
constexpr int kExitError = 2;       // an error ended it
constexpr int kExitUsage = 64;

struct Command {
  std::string name;
  std::string usage;  // "ver [--campos] FICHERO.DBF"
  std::string help;   // Spanish, one paragraph, lines end in "\n"
  std::function<int(const std::vector<std::string>& args)> run;
};

const std::vector<Command>& Commands();

struct CommandRegistration {
  explicit CommandRegistration(Command command);
};

// Prints "uso: transorvalentsice-cli <usage>" to stderr and returns 64.
int UsageError(const Command& command, const std::string& problem);

}  // namespace tos::cli
