#include "cli/cli_services.h"

#include <cstdio>
#include <exception>

#include "cli/commands.h"
#include "core/error_text.h"
#include "data/clock.h"
#include "data/files.h"
#include "report/run_end.h"

namespace tos::cli {

void PrintMessage(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

void ConsoleWindow::ShowMessage(const std::string& text) {
  PrintMessage(text);
}

std::optional<FolderArgs> ParseFolderArgs(const std::vector<std::string>& args,
                                          std::string& problem) {
  FolderArgs parsed;
  bool haveFolder = false;
  bool haveOtemp = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--otemp") {
      if (i + 1 >= args.size()) {
        problem = "falta la carpeta tras --otemp";
        return std::nullopt;
      }
      parsed.otemp = args[++i];
      haveOtemp = true;
    } else if (arg.rfind("--otemp=", 0) == 0) {
      parsed.otemp = arg.substr(8);
      haveOtemp = true;
    } else if (arg == "--informe" || arg.rfind("--informe=", 0) == 0) {
      if (arg == "--informe") {
        if (i + 1 >= args.size()) {
          problem = "falta el fichero tras --informe";
          return std::nullopt;
        }
        parsed.informe = args[++i];
      } else {
        parsed.informe = arg.substr(10);
      }
      if (parsed.informe.empty()) {
        problem = "falta el fichero tras --informe";
        return std::nullopt;
      }
    } else if (arg == "--sin-informe") {
      parsed.sinInforme = true;
    } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
      problem = "opción desconocida: " + arg;
      return std::nullopt;
    } else if (!haveFolder) {
      parsed.folder = arg;
      haveFolder = true;
    } else {
      problem = "sobra el argumento " + arg;
      return std::nullopt;
    }
  }
  if (!haveFolder || parsed.folder.empty()) {
    problem = "falta la carpeta de SICE";
    return std::nullopt;
  }
  if (haveOtemp && parsed.otemp.empty()) {
    problem = "falta la carpeta tras --otemp";
    return std::nullopt;
  }
  if (parsed.sinInforme && !parsed.informe.empty()) {
    problem = "--informe y --sin-informe no van juntos";
    return std::nullopt;
  }
  parsed.otempGiven = haveOtemp;
  if (!haveOtemp) parsed.otemp = DefaultOtemp();
  return parsed;
}

int RunConversion(const FolderArgs& args, Direction direction,
                  const std::function<void(ProgramState&, WindowServices&, Report*)>& convert,
                  std::optional<int> notices) {
  ProgramState state;
  ConsoleWindow window(args.folder);
  Report report(direction);
  int status;
  std::string error;
  try {
    convert(state, window, &report);
    // A missing folder leaves the state at 0, a missing file at -1.
    status = state.EstadoTransformacion == 1 ? kExitDone : kExitIncomplete;
    if (status == kExitDone && notices && report.Total() > 0) status = *notices;
  } catch (const std::exception& e) {
    error = DefaultErrorText(e.what());
    PrintMessage(error);
    status = kExitError;
  }
  RunEnd end =
      EndRun(report, state.RutaSice, error, {!args.sinInforme, args.informe}, SystemClock().Now());
  std::string lines = EndLines(report, end);
  std::fwrite(lines.data(), 1, lines.size(), stderr);
  std::fflush(stderr);
  return status;
}

}  // namespace tos::cli
