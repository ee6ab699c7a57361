// A minimal help manager: it registers viewers and routes the application's
// help requests to them, in the order they registered; WinHelp commands it
// does not handle itself go to the registered WinHelp viewer.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "help/help_interfaces.h"

namespace tos {

class HelpManager final : public IHelpManager,
                          public IHelpSystem,
                          public std::enable_shared_from_this<HelpManager> {
 public:
  // Made only as a shared object: viewers hold it through IHelpManager.
  static std::shared_ptr<HelpManager> Create();

  // Gives the viewer the next id (from 1, in registration order) through
  // its TakeViewerId, and returns the manager reference the viewer keeps.
  std::shared_ptr<IHelpManager> RegisterViewer(std::shared_ptr<ICustomHelpViewer> viewer);
  // Detaches every viewer still registered and drops them and the selector.
  void Shutdown();
  size_t ViewerCount() const { return viewers_.size(); }

  // IHelpManager
  uintptr_t OwnerHandle() override;
  std::string CurrentHelpFile() override;
  void ReleaseViewer(int32_t viewerId) override;

  // IHelpSystem
  void KeywordHelp(const std::string& keyword, const std::string& helpFile) override;
  void ContextHelp(int32_t context, const std::string& helpFile) override;
  void ContentsHelp() override;
  void TopicHelp(const std::string& topic, const std::string& helpFile) override;
  void SetSelector(std::shared_ptr<IHelpSelector> selector) override;
  bool WinHelpCommand(uintptr_t window, const std::string& helpFile, uint16_t command,
                      uintptr_t data) override;

 private:
  HelpManager() = default;
  struct Registered {
    int32_t id;
    std::shared_ptr<ICustomHelpViewer> viewer;
  };
  void TakeHelpFile(const std::string& helpFile);
  // A copy, so that a viewer may leave the lists while it is being served.
  std::vector<Registered> Snapshot() const { return viewers_; }

  std::vector<Registered> viewers_;
  int32_t nextId_ = 1;
  std::shared_ptr<IHelpSelector> selector_;
  std::string helpFile_;
};

// The platform's WinHelp viewer. It serves what its filter allows (all, when
// it has none) by handing WinHelp commands to its engine. The program binds
// no WinHelp engine, since current Windows has none, so served requests end
// there.
class WinHelpViewer final : public IExtendedHelpViewer {
 public:
  // WinHelp's own command numbers.
  static constexpr uint16_t kHelpContext = 1;
  static constexpr uint16_t kHelpQuit = 2;
  static constexpr uint16_t kHelpContents = 3;
  static constexpr uint16_t kHelpPartialKey = 0x105;
  static constexpr uint16_t kHelpCommand = 0x102;

  using Engine = std::function<void(uintptr_t window, const std::string& helpFile, uint16_t command,
                                    uintptr_t data)>;
  explicit WinHelpViewer(Engine engine = {}) : engine_(std::move(engine)) {}

  // Puts a filter in place of any earlier one.
  void SetFilter(std::shared_ptr<IWinHelpFilter> filter) { filter_ = std::move(filter); }
  void SetHelpManager(std::shared_ptr<IHelpManager> helpManager) {
    helpManager_ = std::move(helpManager);
  }
  // A command the help manager does not handle itself.
  void Command(uintptr_t window, const std::string& helpFile, uint16_t command, uintptr_t data);

  std::string NameOfViewer() override { return "WinHelp"; }
  int32_t KeywordHits(const std::string& keyword) override;
  std::vector<std::string> KeywordEntries(const std::string& keyword) override;
  bool HasContents() override { return true; }
  void OpenContents() override;
  void OpenKeyword(const std::string& entry) override;
  void TakeViewerId(int32_t viewerId) override { viewerId_ = viewerId; }
  void CloseAll() override;
  void Detach() override;
  bool KnowsTopic(const std::string& topic) override;
  void OpenTopic(const std::string& topic) override;
  bool KnowsContext(int32_t context, const std::string& helpFile) override;
  void OpenContext(int32_t context, const std::string& helpFile) override;

  int32_t ViewerId() const { return viewerId_; }

 private:
  std::string HelpFile() const;
  void Send(uint16_t command, uintptr_t data);

  Engine engine_;
  std::shared_ptr<IWinHelpFilter> filter_;
  std::shared_ptr<IHelpManager> helpManager_;
  int32_t viewerId_ = 0;
  // WinHelp's keyword commands take the keyword's address; it must outlive
  // the call.
  std::string keyword_;
};

}  // namespace tos
