// What the converter gives the conversions in place of a window: messages
// go to stderr, one per line, in UTF-8.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/window_services.h"

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

// The working folder: "C:\OTEMP" on Windows; elsewhere Wine's drive C:
// ($WINEPREFIX/drive_c/OTEMP, prefix ~/.wine by default).
std::string DefaultOtemp();

// Splits "CARPETA [--otemp DIR]": the folder and the working folder, or
// nothing when the arguments are wrong (problem says why).
struct FolderArgs {
  std::string folder;
  std::string otemp;
};
std::optional<FolderArgs> ParseFolderArgs(const std::vector<std::string>& args,
                                          std::string& problem);

}  // namespace tos::cli
