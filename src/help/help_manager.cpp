// Routing of help requests to the registered viewers.
#include "help/help_manager.h"

#include <algorithm>
#include <utility>

#include "data/text.h"

namespace tos {

std::shared_ptr<HelpManager> HelpManager::Create() {
  return std::shared_ptr<HelpManager>(new HelpManager());
}

std::shared_ptr<IHelpManager> HelpManager::RegisterViewer(
    std::shared_ptr<ICustomHelpViewer> viewer) {
  if (!viewer) return nullptr;
  int32_t id = nextId_++;
  viewers_.push_back({id, viewer});
  viewer->TakeViewerId(id);
  return shared_from_this();
}

void HelpManager::Shutdown() {
  for (const Registered& r : Snapshot()) r.viewer->Detach();
  viewers_.clear();
  selector_.reset();
}

uintptr_t HelpManager::OwnerHandle() {
  // The manager never records a window: help windows have no owner, so they
  // stay open on their own when the program's window goes.
  return 0;
}

std::string HelpManager::CurrentHelpFile() {
  return helpFile_;
}

void HelpManager::ReleaseViewer(int32_t viewerId) {
  std::erase_if(viewers_, [viewerId](const Registered& r) { return r.id == viewerId; });
}

void HelpManager::TakeHelpFile(const std::string& helpFile) {
  if (!helpFile.empty()) helpFile_ = helpFile;
}

void HelpManager::KeywordHelp(const std::string& keyword, const std::string& helpFile) {
  TakeHelpFile(helpFile);
  std::vector<std::string> entries;
  std::vector<std::shared_ptr<ICustomHelpViewer>> owners;
  for (const Registered& r : Snapshot()) {
    if (r.viewer->KeywordHits(keyword) <= 0) continue;
    for (std::string& entry : r.viewer->KeywordEntries(keyword)) {
      entries.push_back(std::move(entry));
      owners.push_back(r.viewer);
    }
  }
  if (entries.empty()) return;
  size_t chosen = 0;
  if (entries.size() > 1 && selector_) {
    int32_t index = selector_->ChooseKeywordEntry(entries);
    if (index < 0 || static_cast<size_t>(index) >= entries.size()) return;
    chosen = static_cast<size_t>(index);
  }
  owners[chosen]->OpenKeyword(entries[chosen]);
}

void HelpManager::ContextHelp(int32_t context, const std::string& helpFile) {
  TakeHelpFile(helpFile);
  for (const Registered& r : Snapshot()) {
    auto* extended = dynamic_cast<IExtendedHelpViewer*>(r.viewer.get());
    if (extended != nullptr && extended->KnowsContext(context, helpFile)) {
      extended->OpenContext(context, helpFile);
      return;
    }
  }
}

void HelpManager::ContentsHelp() {
  std::vector<Registered> viewers = Snapshot();
  if (viewers.size() == 1) {
    if (viewers[0].viewer->HasContents()) viewers[0].viewer->OpenContents();
    return;
  }
  std::vector<std::pair<std::string, std::shared_ptr<ICustomHelpViewer>>> candidates;
  for (const Registered& r : viewers) {
    if (r.viewer->HasContents()) candidates.emplace_back(r.viewer->NameOfViewer(), r.viewer);
  }
  if (candidates.empty()) return;
  if (!selector_) {
    candidates.front().second->OpenContents();
    return;
  }
  std::stable_sort(candidates.begin(), candidates.end(), [](const auto& a, const auto& b) {
    return text::AsciiLower(a.first) < text::AsciiLower(b.first);
  });
  std::vector<std::string> names;
  for (const auto& c : candidates) names.push_back(c.first);
  int32_t index = selector_->ChooseContentsViewer(names);
  if (index < 0 || static_cast<size_t>(index) >= candidates.size()) return;
  candidates[static_cast<size_t>(index)].second->OpenContents();
}

void HelpManager::TopicHelp(const std::string& topic, const std::string& helpFile) {
  TakeHelpFile(helpFile);
  for (const Registered& r : Snapshot()) {
    auto* extended = dynamic_cast<IExtendedHelpViewer*>(r.viewer.get());
    if (extended != nullptr && extended->KnowsTopic(topic)) {
      extended->OpenTopic(topic);
      return;
    }
  }
}

void HelpManager::SetSelector(std::shared_ptr<IHelpSelector> selector) {
  selector_ = std::move(selector);
}

bool HelpManager::WinHelpCommand(uintptr_t window, const std::string& helpFile, uint16_t command,
                                 uintptr_t data) {
  TakeHelpFile(helpFile);
  switch (command) {
    case WinHelpViewer::kHelpContext:
      ContextHelp(static_cast<int32_t>(data), helpFile);
      break;
    case WinHelpViewer::kHelpQuit:
      for (const Registered& r : Snapshot()) r.viewer->CloseAll();
      break;
    case WinHelpViewer::kHelpContents:
      ContentsHelp();
      break;
    default:
      for (const Registered& r : Snapshot()) {
        if (auto* winHelp = dynamic_cast<WinHelpViewer*>(r.viewer.get())) {
          winHelp->Command(window, helpFile_, command, data);
          break;
        }
      }
      break;
  }
  return true;
}

std::string WinHelpViewer::HelpFile() const {
  return helpManager_ ? helpManager_->CurrentHelpFile() : std::string();
}

void WinHelpViewer::Send(uint16_t command, uintptr_t data) {
  if (engine_) engine_(0, HelpFile(), command, data);
}

void WinHelpViewer::Command(uintptr_t window, const std::string& helpFile, uint16_t command,
                            uintptr_t data) {
  if (engine_) engine_(window, helpFile, command, data);
}

int32_t WinHelpViewer::KeywordHits(const std::string& keyword) {
  if (filter_) return filter_->AllowsLink(keyword, HelpFile()) ? 1 : 0;
  return 1;
}

std::vector<std::string> WinHelpViewer::KeywordEntries(const std::string& keyword) {
  if (filter_) return filter_->LinkEntries(keyword);
  return {keyword};
}

void WinHelpViewer::OpenContents() {
  Send(kHelpContents, 0);
}

void WinHelpViewer::OpenKeyword(const std::string& entry) {
  keyword_ = entry;
  Send(kHelpPartialKey, reinterpret_cast<uintptr_t>(keyword_.c_str()));
}

void WinHelpViewer::CloseAll() {
  Send(kHelpQuit, 0);
}

void WinHelpViewer::Detach() {
  CloseAll();
  helpManager_.reset();
}

bool WinHelpViewer::KnowsTopic(const std::string& topic) {
  return filter_ ? filter_->AllowsTopic(topic, HelpFile()) : true;
}

void WinHelpViewer::OpenTopic(const std::string& topic) {
  keyword_ = "JumpID(\"\",\"" + topic + "\")";
  Send(kHelpCommand, reinterpret_cast<uintptr_t>(keyword_.c_str()));
}

bool WinHelpViewer::KnowsContext(int32_t context, const std::string& helpFile) {
  return filter_ ? filter_->AllowsContext(context, helpFile) : true;
}

void WinHelpViewer::OpenContext(int32_t context, const std::string&) {
  Send(kHelpContext, static_cast<uintptr_t>(static_cast<uint32_t>(context)));
}

}  // namespace tos
