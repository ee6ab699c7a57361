// The program's help as the window sees it: the help manager with the
// WinHelp viewer (first) and the HTML help viewer (second), the
// application's help file, and the two requests the window makes.
#pragma once

#include <memory>
#include <string>

#include "core/help_requests.h"
#include "help/help_engine.h"
#include "help/help_manager.h"
#include "help/help_setup.h"
#include "help/vek_html_help.h"

namespace tos {

// The application's help file at start: a bare name, which the viewer
// completes with the program's folder.
inline constexpr const char* kProgramHelpFile = "SICE.chm";
// The help file once "F1 AYUDA" has been pressed: from the root of the
// current drive, where an installation in \TORVEL keeps it.
inline constexpr const char* kInstalledHelpFile = "\\TORVEL\\SICE.chm";

class ProgramHelp final : public HelpRequests {
 public:
  // Start: the viewer is made with the engine as loaded, registered,
  // made the selector, and the tester goes in as the WinHelp filter.
  ProgramHelp(const HelpEnvironment& environment, std::unique_ptr<HtmlHelpEngine> engine);
  // End: the viewer leaves the manager, then the manager shuts down.
  ~ProgramHelp() override;
  ProgramHelp(const ProgramHelp&) = delete;
  ProgramHelp& operator=(const ProgramHelp&) = delete;

  void ContextHelp(int context) override;
  void HelpButton() override;

  const std::string& ApplicationHelpFile() const { return helpFile_; }
  HelpManager& Manager() { return *manager_; }
  TVekHtmlHelpViewer& Viewer() { return *viewer_; }
  WinHelpViewer& WinHelp() { return *winHelp_; }

 private:
  HelpEnvironment environment_;
  std::string helpFile_;
  std::shared_ptr<HelpManager> manager_;
  std::shared_ptr<WinHelpViewer> winHelp_;
  std::shared_ptr<TVekHtmlHelpViewer> viewer_;
};

}  // namespace tos
