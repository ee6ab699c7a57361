// The interfaces through which help requests travel: the help manager and
// the viewers registered with it. Objects are shared through std::shared_ptr
// (the reference counting); "does this viewer also implement X" is a
// dynamic_cast.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tos {

// What a viewer may ask of the help manager that registered it.
class IHelpManager {
 public:
  virtual ~IHelpManager() = default;
  // The owner window of help windows (an HWND as an integer).
  virtual uintptr_t OwnerHandle() = 0;
  // The help file of the request being served.
  virtual std::string CurrentHelpFile() = 0;
  // Removes the viewer from all of the manager's lists.
  virtual void ReleaseViewer(int32_t viewerId) = 0;
};

class ICustomHelpViewer {
 public:
  virtual ~ICustomHelpViewer() = default;
  virtual std::string NameOfViewer() = 0;
  // How many entries the viewer has for a keyword.
  virtual int32_t KeywordHits(const std::string& keyword) = 0;
  virtual std::vector<std::string> KeywordEntries(const std::string& keyword) = 0;
  virtual bool HasContents() = 0;
  virtual void OpenContents() = 0;
  // Shows the index at one of the entries that KeywordEntries gave.
  virtual void OpenKeyword(const std::string& entry) = 0;
  // The id the manager gave the viewer at registration.
  virtual void TakeViewerId(int32_t viewerId) = 0;
  virtual void CloseAll() = 0;
  // The manager is going away: close what is open and forget the manager.
  virtual void Detach() = 0;
};

class IExtendedHelpViewer : public ICustomHelpViewer {
 public:
  virtual bool KnowsTopic(const std::string& topic) = 0;
  virtual void OpenTopic(const std::string& topic) = 0;
  virtual bool KnowsContext(int32_t context, const std::string& helpFile) = 0;
  virtual void OpenContext(int32_t context, const std::string& helpFile) = 0;
};

// Chooses among the viewers when more than one could serve a request.
class IHelpSelector {
 public:
  virtual ~IHelpSelector() = default;
  // The index of the keyword entry to show (entries of all viewers).
  virtual int32_t ChooseKeywordEntry(const std::vector<std::string>& entries) = 0;
  // The position of the viewer to show contents in, among the sorted names
  // of the viewers that have contents; -1 for none.
  virtual int32_t ChooseContentsViewer(const std::vector<std::string>& viewerNames) = 0;
};

// What the application asks of the help manager.
class IHelpSystem {
 public:
  virtual ~IHelpSystem() = default;
  virtual void KeywordHelp(const std::string& keyword, const std::string& helpFile) = 0;
  virtual void ContextHelp(int32_t context, const std::string& helpFile) = 0;
  virtual void ContentsHelp() = 0;
  virtual void TopicHelp(const std::string& topic, const std::string& helpFile) = 0;
  virtual void SetSelector(std::shared_ptr<IHelpSelector> selector) = 0;
  // A WinHelp-style command: 1 context (data is the number), 2 close all,
  // 3 contents; others go to the WinHelp viewer unchanged.
  virtual bool WinHelpCommand(uintptr_t window, const std::string& helpFile, uint16_t command,
                              uintptr_t data) = 0;
};

// Lets the WinHelp viewer ask whether it may serve a request.
class IWinHelpFilter {
 public:
  virtual ~IWinHelpFilter() = default;
  virtual bool AllowsLink(const std::string& link, const std::string& helpFile) = 0;
  virtual bool AllowsTopic(const std::string& topic, const std::string& helpFile) = 0;
  virtual bool AllowsContext(int32_t context, const std::string& helpFile) = 0;
  virtual std::vector<std::string> LinkEntries(const std::string& link) = 0;
  virtual std::string HelpFolder() = 0;
  virtual std::string DefaultHelpFile() = 0;
};

}  // namespace tos
