// transorvalentsice-cli: both conversions without a window, and a look
// inside the tables, for scripts, tests and curious users.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/console.h"
#include "core/version.h"

namespace tos::cli {

namespace {
std::vector<Command>& Registry() {
  static std::vector<Command> commands;
  return commands;
}

void PrintUsage(std::FILE* to) {
  std::fprintf(to, "uso: transorvalentsice-cli ORDEN ...\n\n");
  for (const Command& c : Commands())
    std::fprintf(to, "  transorvalentsice-cli %s\n", c.usage.c_str());
  std::fprintf(to, "  transorvalentsice-cli --help | --version\n");
}

void PrintHelp() {
  std::printf(
      "TransOrvalentSICE %s: pasa los datos de un centro entre SICE (ficheros de texto)\n"
      "y Orvalent (tablas dBase en C:\\OTEMP), sin ventana.\n\n",
      TOS_VERSION);
  for (const Command& c : Commands()) {
    std::printf("transorvalentsice-cli %s\n%s\n", c.usage.c_str(), c.help.c_str());
  }
  std::printf(
      "Estado de salida: 0 hecho; 1 faltaba un fichero o la carpeta; 2 un error detuvo el\n"
      "proceso; 3 (solo comprobar) hay avisos sobre los datos; 64 la orden está mal escrita.\n");
}
}  // namespace

const std::vector<Command>& Commands() {
  return Registry();
}

CommandRegistration::CommandRegistration(Command command) {
  auto& all = Registry();
  auto at = all.begin();
  while (at != all.end() && at->name < command.name) ++at;
  all.insert(at, std::move(command));
}

int UsageError(const Command& command, const std::string& problem) {
  std::fprintf(stderr, "transorvalentsice-cli: %s\nuso: transorvalentsice-cli %s\n",
               problem.c_str(), command.usage.c_str());
  return kExitUsage;
}

}  // namespace tos::cli

int tos::cli::Run(const std::vector<std::string>& args) {
  if (args.empty()) {
    PrintUsage(stderr);
    return kExitUsage;
  }
  if (args[0] == "--help" || args[0] == "-h") {
    PrintHelp();
    return kExitDone;
  }
  if (args[0] == "--version") {
    std::printf("transorvalentsice-cli %s\n", TOS_VERSION);
    return kExitDone;
  }
  for (const Command& c : Commands()) {
    if (c.name == args[0]) return c.run(std::vector<std::string>(args.begin() + 1, args.end()));
  }
  std::fprintf(stderr, "transorvalentsice-cli: orden desconocida: %s\n", args[0].c_str());
  PrintUsage(stderr);
  return kExitUsage;
}
