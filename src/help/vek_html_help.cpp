// The HTML help viewer and the WinHelp tester.
#include "help/vek_html_help.h"

#include <utility>

#include "data/error.h"
#include "data/text.h"

namespace tos {

namespace {

constexpr const char* kViewerName = "VekHtmlHelp";

bool IsBlankOrControl(char c) {
  return static_cast<unsigned char>(c) <= 32;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlankOrControl(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlankOrControl(s.back())) s.remove_suffix(1);
  return s;
}

// The text before the first ":", or the whole text when it has none.
std::string_view BeforeColon(std::string_view entry) {
  size_t colon = entry.find(':');
  return colon == std::string_view::npos ? entry : entry.substr(0, colon);
}

bool HasFolderPart(std::string_view name) {
  return name.find_first_of("\\:") != std::string_view::npos;
}

// The topic's extension: from its last "." when no folder separator or
// drive colon follows it.
std::string_view TopicExtension(std::string_view topic) {
  size_t dot = topic.rfind('.');
  if (dot == std::string_view::npos) return {};
  if (topic.find_first_of("\\:", dot) != std::string_view::npos) return {};
  return topic.substr(dot);
}

}  // namespace

bool IsChmFile(std::string_view name) {
  size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return false;
  return text::EqualIgnoringAsciiCase(name.substr(dot), ".chm");
}

TVekHtmlHelpViewer::TVekHtmlHelpViewer(std::unique_ptr<HtmlHelpEngine> engineLibrary,
                                       HelpViewerHost host)
    : viewerName_(kViewerName),
      engineLibrary_(std::move(engineLibrary)),
      defaultTopicExtension_(".htm"),
      host_(std::move(host)) {
  if (engineLibrary_ && engineLibrary_->HasEntry()) engineEntry_ = engineLibrary_.get();
}

TVekHtmlHelpViewer::~TVekHtmlHelpViewer() {
  // No CloseAll here: help windows that are still open are the engine's.
  engineEntry_ = nullptr;
  engineLibrary_.reset();
}

std::string TVekHtmlHelpViewer::NameOfViewer() {
  return viewerName_;
}

int32_t TVekHtmlHelpViewer::KeywordHits(const std::string&) {
  return IsChmFile(ResolveHelpFile()) ? 1 : 0;
}

std::vector<std::string> TVekHtmlHelpViewer::KeywordEntries(const std::string& keyword) {
  return {Format("%s: %s", viewerName_, keyword)};
}

bool TVekHtmlHelpViewer::HasContents() {
  return true;
}

void TVekHtmlHelpViewer::OpenContents() {
  std::string file = ResolveHelpFile();
  if (IsChmFile(file)) CallEngine(file, kHhDisplayToc, 0);
}

void TVekHtmlHelpViewer::OpenKeyword(const std::string& entry) {
  std::string file = ResolveHelpFile();
  if (!IsChmFile(file)) return;
  std::string_view keyword = entry;
  size_t colon = keyword.find(':');
  if (colon != std::string_view::npos) keyword.remove_prefix(colon + 1);
  // The engine reads the keyword through its address during the call.
  std::string text(Trim(keyword));
  CallEngine(file, kHhDisplayIndex, reinterpret_cast<uintptr_t>(text.c_str()));
}

void TVekHtmlHelpViewer::TakeViewerId(int32_t viewerId) {
  viewerId_ = viewerId;
}

void TVekHtmlHelpViewer::CloseAll() {
  CallEngine("", kHhCloseAll, 0);
}

void TVekHtmlHelpViewer::Detach() {
  CloseAll();
  helpManager_.reset();
}

bool TVekHtmlHelpViewer::KnowsTopic(const std::string&) {
  return IsChmFile(ResolveHelpFile());
}

void TVekHtmlHelpViewer::OpenTopic(const std::string& topic) {
  std::string file = ResolveHelpFile();
  if (!IsChmFile(file)) return;
  std::string page = topic;
  std::string extension = text::AsciiLower(TopicExtension(topic));
  if (extension != ".htm" && extension != ".html") page += defaultTopicExtension_;
  CallEngine(file + "::/" + page, kHhDisplayTopic, 0);
}

bool TVekHtmlHelpViewer::KnowsContext(int32_t, const std::string& helpFile) {
  return IsChmFile(helpFile);
}

void TVekHtmlHelpViewer::OpenContext(int32_t context, const std::string&) {
  std::string file = ResolveHelpFile();
  // The engine takes the number as its data, bit for bit.
  if (IsChmFile(file)) {
    CallEngine(file, kHhHelpContext, static_cast<uintptr_t>(static_cast<uint32_t>(context)));
  }
}

int32_t TVekHtmlHelpViewer::ChooseKeywordEntry(const std::vector<std::string>& entries) {
  for (size_t i = 0; i < entries.size(); ++i) {
    if (BeforeColon(entries[i]) == viewerName_) return static_cast<int32_t>(i);
  }
  return 0;
}

int32_t TVekHtmlHelpViewer::ChooseContentsViewer(const std::vector<std::string>& viewerNames) {
  for (size_t i = 0; i < viewerNames.size(); ++i) {
    if (text::EqualIgnoringAsciiCase(viewerNames[i], viewerName_)) return static_cast<int32_t>(i);
  }
  return -1;
}

void TVekHtmlHelpViewer::SetHelpManager(std::shared_ptr<IHelpManager> helpManager) {
  helpManager_ = std::move(helpManager);
}

void TVekHtmlHelpViewer::ReleaseFromHelpManager() {
  if (!helpManager_) return;
  // Dropped before the call, so that a manager that lets go of the viewer
  // inside ReleaseViewer finds nothing left to release.
  std::shared_ptr<IHelpManager> manager = std::move(helpManager_);
  manager->ReleaseViewer(viewerId_);
}

std::string TVekHtmlHelpViewer::ResolveHelpFile() {
  std::string file;
  if (helpManager_) file = helpManager_->CurrentHelpFile();
  if (file.empty() && host_.applicationHelpFile) file = host_.applicationHelpFile();
  if (!file.empty() && !HasFolderPart(file)) file = host_.programFolder + file;
  return file;
}

void TVekHtmlHelpViewer::CallEngine(const std::string& file, uint32_t command, uintptr_t data) {
  if (engineEntry_ == nullptr) return;
  if (command == kHhCloseAll) {
    engineEntry_->HtmlHelp(0, nullptr, command, data);
    return;
  }
  uintptr_t owner = helpManager_ ? helpManager_->OwnerHandle() : 0;
  engineEntry_->HtmlHelp(owner, file.c_str(), command, data);
}

bool TVekWinHelpTester::AllowsLink(const std::string&, const std::string&) {
  return false;
}

bool TVekWinHelpTester::AllowsTopic(const std::string&, const std::string&) {
  return false;
}

bool TVekWinHelpTester::AllowsContext(int32_t, const std::string&) {
  return false;
}

std::vector<std::string> TVekWinHelpTester::LinkEntries(const std::string& link) {
  return {": " + link};
}

std::string TVekWinHelpTester::HelpFolder() {
  return {};
}

std::string TVekWinHelpTester::DefaultHelpFile() {
  return {};
}

}  // namespace tos
