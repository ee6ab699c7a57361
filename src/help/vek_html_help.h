// The HTML help viewer: turns the help manager's requests into calls of the
// HTML Help engine for compiled help files (.chm), and the WinHelp tester
// that keeps the WinHelp viewer out of the way.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "help/help_engine.h"
#include "help/help_interfaces.h"

namespace tos {

// Whether a name ends in ".chm" (any letter case) after its last ".", also
// when that "." is inside a folder name.
bool IsChmFile(std::string_view name);

// What the viewer needs to know of the running program.
struct HelpViewerHost {
  // The folder of the program file, up to and including its last separator.
  std::string programFolder;
  // The application's current help file (the active window's own one when it
  // has one, else the application's).
  std::function<std::string()> applicationHelpFile;
};

class TVekHtmlHelpViewer final : public IExtendedHelpViewer, public IHelpSelector {
 public:
  // Takes the engine library as loaded at start; it is unloaded with the
  // viewer.
  TVekHtmlHelpViewer(std::unique_ptr<HtmlHelpEngine> engineLibrary, HelpViewerHost host);
  ~TVekHtmlHelpViewer() override;
  TVekHtmlHelpViewer(const TVekHtmlHelpViewer&) = delete;
  TVekHtmlHelpViewer& operator=(const TVekHtmlHelpViewer&) = delete;

  // ICustomHelpViewer
  std::string NameOfViewer() override;
  int32_t KeywordHits(const std::string& keyword) override;
  std::vector<std::string> KeywordEntries(const std::string& keyword) override;
  bool HasContents() override;
  void OpenContents() override;
  void OpenKeyword(const std::string& entry) override;
  void TakeViewerId(int32_t viewerId) override;
  void CloseAll() override;
  void Detach() override;
  // IExtendedHelpViewer
  bool KnowsTopic(const std::string& topic) override;
  void OpenTopic(const std::string& topic) override;
  bool KnowsContext(int32_t context, const std::string& helpFile) override;
  void OpenContext(int32_t context, const std::string& helpFile) override;
  // IHelpSelector
  int32_t ChooseKeywordEntry(const std::vector<std::string>& entries) override;
  int32_t ChooseContentsViewer(const std::vector<std::string>& viewerNames) override;

  // Registration: the manager that registered the viewer.
  void SetHelpManager(std::shared_ptr<IHelpManager> helpManager);
  // End of the program: leave the manager's lists and forget the manager.
  void ReleaseFromHelpManager();
  bool HasHelpManager() const { return helpManager_ != nullptr; }
  int32_t ViewerId() const { return viewerId_; }

  // The help file of a request: the manager's, else the application's, with
  // the program's folder put in front of a bare name.
  std::string ResolveHelpFile();
  // The one place that calls the engine; nothing happens without an entry.
  void CallEngine(const std::string& file, uint32_t command, uintptr_t data);

 private:
  int32_t viewerId_ = 0;
  std::string viewerName_;
  HtmlHelpEngine* engineEntry_ = nullptr;  // null when the engine is missing
  std::unique_ptr<HtmlHelpEngine> engineLibrary_;
  std::shared_ptr<IHelpManager> helpManager_;
  std::string defaultTopicExtension_;
  HelpViewerHost host_;
};

// Installed as the WinHelp viewer's filter: it declines every request, so
// that only the HTML viewer serves them.
class TVekWinHelpTester final : public IWinHelpFilter {
 public:
  bool AllowsLink(const std::string& link, const std::string& helpFile) override;
  bool AllowsTopic(const std::string& topic, const std::string& helpFile) override;
  bool AllowsContext(int32_t context, const std::string& helpFile) override;
  std::vector<std::string> LinkEntries(const std::string& link) override;
  std::string HelpFolder() override;
  std::string DefaultHelpFile() override;
};

}  // namespace tos
