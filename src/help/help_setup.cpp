// Start and end of the program's help.
#include "help/help_setup.h"

#include <utility>

#include "help/program_help.h"

namespace tos {

ProgramHelp::ProgramHelp(const HelpEnvironment& environment, std::unique_ptr<HtmlHelpEngine> engine)
    : environment_(environment), helpFile_(kProgramHelpFile), manager_(HelpManager::Create()) {
  // The platform's WinHelp viewer is there before the program's own code.
  winHelp_ = std::make_shared<WinHelpViewer>();
  winHelp_->SetHelpManager(manager_->RegisterViewer(winHelp_));

  HelpViewerHost host;
  host.programFolder = environment_.programFolder;
  // The main window has no help file of its own: the application's serves.
  host.applicationHelpFile = [this] { return helpFile_; };
  viewer_ = std::make_shared<TVekHtmlHelpViewer>(std::move(engine), std::move(host));
  viewer_->SetHelpManager(manager_->RegisterViewer(viewer_));
  manager_->SetSelector(viewer_);
  winHelp_->SetFilter(std::make_shared<TVekWinHelpTester>());
}

ProgramHelp::~ProgramHelp() {
  viewer_->ReleaseFromHelpManager();
  manager_->Shutdown();
}

void ProgramHelp::ContextHelp(int context) {
  manager_->ContextHelp(context, helpFile_);
}

void ProgramHelp::HelpButton() {
  helpFile_ = kInstalledHelpFile;
  uintptr_t window = environment_.ownerWindow ? environment_.ownerWindow() : 0;
  manager_->WinHelpCommand(window, helpFile_, WinHelpViewer::kHelpContents, 0);
}

std::unique_ptr<HelpRequests> StartProgramHelp(const HelpEnvironment& environment) {
  return std::make_unique<ProgramHelp>(environment, LoadHtmlHelpEngine());
}

}  // namespace tos
