// What the converter gives the conversions in place of a window: messages
// go to stderr, one per line, in UTF-8.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/console.h"
#include "core/program_state.h"
#include "core/window_services.h"
#include "report/report.h"

namespace tos::cli {

class ConsoleWindow final : public WindowServices {
 public:
  explicit ConsoleWindow(std::string folder) : folder_(std::move(folder)) {}
  std::string ChosenFolder() override { return folder_; }
  void ShowMessage(const std::string& text) override;
  void SetHourglass(bool) override {}
  void CloseWindow() override {}

 private:
  std::string folder_;
};

// Writes one message to stderr, followed by a line end.
void PrintMessage(const std::string& text);

// Splits "CARPETA [--otemp DIR] [--informe FICHERO | --sin-informe]": the
// folder, the working folder and where the report's page goes, or nothing
// when the arguments are wrong (problem says why).
struct FolderArgs {
  std::string folder;
  std::string otemp;
  bool otempGiven = false;
  std::string informe;  // the page's path; "" for the SICE folder
  bool sinInforme = false;
};
std::optional<FolderArgs> ParseFolderArgs(const std::vector<std::string>& args,
                                          std::string& problem);

// Runs one conversion as the converter does: its messages to stderr, an
// error that ends it as the default error box shows it, then the run's end
// (the page where the arguments say, the summary and the page's path on
// stderr). The exit status: done, incomplete (a missing file or folder) or
// error; with notices, notices when that status is given (comprobar's 3).
int RunConversion(const FolderArgs& args, Direction direction,
                  const std::function<void(ProgramState&, WindowServices&, Report*)>& convert,
                  std::optional<int> notices = std::nullopt);

}  // namespace tos::cli
