// The help manager's routing: registration order, context help, the help
// commands, contents through the selector, keyword help.
#include "help/help_manager.h"

#include <gtest/gtest.h>

#include <memory>

#include "help/recording_engine.h"
#include "help/vek_html_help.h"

namespace tos {
namespace {

using Events = std::vector<std::string>;

// A viewer that writes down what it was asked to do.
class FakeViewer final : public IExtendedHelpViewer {
 public:
  FakeViewer(std::string name, Events* events) : name_(std::move(name)), events_(events) {}

  std::string NameOfViewer() override { return name_; }
  int32_t KeywordHits(const std::string&) override { return hits; }
  std::vector<std::string> KeywordEntries(const std::string& keyword) override {
    return {name_ + ": " + keyword};
  }
  bool HasContents() override { return contents; }
  void OpenContents() override { Add("contents"); }
  void OpenKeyword(const std::string& entry) override { Add("keyword " + entry); }
  void TakeViewerId(int32_t viewerId) override { id = viewerId; }
  void CloseAll() override { Add("closeall"); }
  void Detach() override { Add("detach"); }
  bool KnowsTopic(const std::string&) override { return knows; }
  void OpenTopic(const std::string& topic) override { Add("topic " + topic); }
  bool KnowsContext(int32_t, const std::string& helpFile) override {
    Add("knows? " + helpFile);
    return knows;
  }
  void OpenContext(int32_t context, const std::string& helpFile) override {
    Add("context " + std::to_string(context) + " " + helpFile);
  }

  int32_t id = 0;
  int32_t hits = 1;
  bool contents = true;
  bool knows = false;

 private:
  void Add(const std::string& what) { events_->push_back(name_ + " " + what); }
  std::string name_;
  Events* events_;
};

// A selector that hands out fixed answers and keeps what it was shown.
class FakeSelector final : public IHelpSelector {
 public:
  int32_t ChooseKeywordEntry(const std::vector<std::string>& entries) override {
    shownEntries = entries;
    return keywordAnswer;
  }
  int32_t ChooseContentsViewer(const std::vector<std::string>& names) override {
    shownNames = names;
    return contentsAnswer;
  }
  int32_t keywordAnswer = 0;
  int32_t contentsAnswer = 0;
  std::vector<std::string> shownEntries, shownNames;
};

struct ManagerFixture : ::testing::Test {
  std::shared_ptr<HelpManager> manager = HelpManager::Create();
  Events events;

  std::shared_ptr<FakeViewer> Add(const std::string& name) {
    auto viewer = std::make_shared<FakeViewer>(name, &events);
    EXPECT_EQ(manager->RegisterViewer(viewer).get(), static_cast<IHelpManager*>(manager.get()));
    return viewer;
  }
};

TEST_F(ManagerFixture, RegistrationCountsIdsFromOneAndReleaseRemoves) {
  auto a = Add("a"), b = Add("b"), c = Add("c");
  EXPECT_EQ(a->id, 1);
  EXPECT_EQ(b->id, 2);
  EXPECT_EQ(c->id, 3);
  manager->ReleaseViewer(2);
  EXPECT_EQ(manager->ViewerCount(), 2u);
  manager->ContextHelp(3, "x.chm");
  EXPECT_EQ(events, (Events{"a knows? x.chm", "c knows? x.chm"}));
  // Ids are never given twice.
  EXPECT_EQ(Add("d")->id, 4);
}

TEST_F(ManagerFixture, ContextHelpGoesToTheFirstViewerThatKnowsIt) {
  auto a = Add("a"), b = Add("b"), c = Add("c");
  b->knows = c->knows = true;
  manager->ContextHelp(3, "SICE.chm");
  EXPECT_EQ(events, (Events{"a knows? SICE.chm", "b knows? SICE.chm", "b context 3 SICE.chm"}));
  EXPECT_EQ(manager->CurrentHelpFile(), "SICE.chm");
}

TEST_F(ManagerFixture, AnEmptyFileLeavesTheCurrentHelpFile) {
  Add("a");
  manager->ContextHelp(3, "SICE.chm");
  manager->ContextHelp(3, "");
  EXPECT_EQ(manager->CurrentHelpFile(), "SICE.chm");
}

TEST_F(ManagerFixture, WinHelpCommands) {
  auto a = Add("a"), b = Add("b");
  b->knows = true;
  auto selector = std::make_shared<FakeSelector>();
  selector->contentsAnswer = 1;
  manager->SetSelector(selector);

  EXPECT_TRUE(manager->WinHelpCommand(7, "f.chm", 1, 42));
  EXPECT_EQ(events, (Events{"a knows? f.chm", "b knows? f.chm", "b context 42 f.chm"}));
  events.clear();
  EXPECT_TRUE(manager->WinHelpCommand(7, "", 2, 0));
  EXPECT_EQ(events, (Events{"a closeall", "b closeall"}));
  events.clear();
  EXPECT_TRUE(manager->WinHelpCommand(7, "g.chm", 3, 0));
  EXPECT_EQ(events, (Events{"b contents"}));
  EXPECT_EQ(manager->CurrentHelpFile(), "g.chm");
  events.clear();
  // No WinHelp viewer registered: other commands go nowhere.
  EXPECT_TRUE(manager->WinHelpCommand(7, "g.chm", 0x105, 0));
  EXPECT_TRUE(events.empty());
}

TEST_F(ManagerFixture, OtherCommandsGoUnchangedToTheWinHelpViewer) {
  struct Sent {
    uintptr_t window;
    std::string file;
    uint16_t command;
    uintptr_t data;
  };
  std::vector<Sent> sent;
  auto winHelp = std::make_shared<WinHelpViewer>(
      [&](uintptr_t w, const std::string& f, uint16_t c, uintptr_t d) {
        sent.push_back({w, f, c, d});
      });
  manager->RegisterViewer(winHelp);
  Add("b");
  EXPECT_TRUE(manager->WinHelpCommand(0x99, "ayuda.hlp", 0x101, 0x55));
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].window, 0x99u);
  EXPECT_EQ(sent[0].file, "ayuda.hlp");
  EXPECT_EQ(sent[0].command, 0x101);
  EXPECT_EQ(sent[0].data, 0x55u);
}

TEST_F(ManagerFixture, ContentsWithOneViewerNeedsNoSelector) {
  auto a = Add("a");
  manager->ContentsHelp();
  a->contents = false;
  manager->ContentsHelp();
  EXPECT_EQ(events, (Events{"a contents"}));
}

TEST_F(ManagerFixture, ContentsSelectorSeesSortedNamesOfViewersWithContents) {
  auto w = Add("WinHelp"), x = Add("xNone"), v = Add("VekHtmlHelp"), a = Add("alpha");
  x->contents = false;
  auto selector = std::make_shared<FakeSelector>();
  manager->SetSelector(selector);
  for (int32_t answer : {0, 1, 2, -1, 3}) {
    selector->contentsAnswer = answer;
    manager->ContentsHelp();
  }
  EXPECT_EQ(selector->shownNames, (std::vector<std::string>{"alpha", "VekHtmlHelp", "WinHelp"}));
  // Out-of-range answers open nothing.
  EXPECT_EQ(events, (Events{"alpha contents", "VekHtmlHelp contents", "WinHelp contents"}));
}

TEST_F(ManagerFixture, ContentsWithoutSelectorGoToTheFirstViewerWithContents) {
  auto a = Add("a"), b = Add("b");
  a->contents = false;
  manager->ContentsHelp();
  EXPECT_EQ(events, (Events{"b contents"}));
}

TEST_F(ManagerFixture, KeywordHelpLetsTheSelectorChooseAmongAllEntries) {
  auto a = Add("a"), b = Add("b"), c = Add("c");
  b->hits = 0;
  auto selector = std::make_shared<FakeSelector>();
  selector->keywordAnswer = 1;
  manager->SetSelector(selector);
  manager->KeywordHelp("Aulas", "SICE.chm");
  EXPECT_EQ(selector->shownEntries, (std::vector<std::string>{"a: Aulas", "c: Aulas"}));
  EXPECT_EQ(events, (Events{"c keyword c: Aulas"}));
  events.clear();
  selector->keywordAnswer = 5;
  manager->KeywordHelp("Aulas", "SICE.chm");
  EXPECT_TRUE(events.empty());
}

TEST_F(ManagerFixture, TopicHelpGoesToTheFirstViewerThatKnowsIt) {
  auto a = Add("a"), b = Add("b");
  b->knows = true;
  manager->TopicHelp("intro", "SICE.chm");
  EXPECT_EQ(events, (Events{"b topic intro"}));
}

TEST_F(ManagerFixture, ShutdownDetachesTheViewersStillRegistered) {
  Add("a");
  Add("b");
  manager->ReleaseViewer(1);
  manager->Shutdown();
  EXPECT_EQ(events, (Events{"b detach"}));
  EXPECT_EQ(manager->ViewerCount(), 0u);
}

// The WinHelp viewer registers first; only its filter keeps F1 from it.
TEST(WinHelpRoutingTest, TheTesterHandsF1ToTheHtmlViewer) {
  for (bool tester : {false, true}) {
    auto manager = HelpManager::Create();
    int winHelpCalls = 0;
    auto winHelp = std::make_shared<WinHelpViewer>(
        [&](uintptr_t, const std::string&, uint16_t, uintptr_t) { ++winHelpCalls; });
    winHelp->SetHelpManager(manager->RegisterViewer(winHelp));
    auto log = std::make_shared<test::EngineLog>();
    auto viewer = std::make_shared<TVekHtmlHelpViewer>(
        std::make_unique<test::RecordingEngine>(log),
        HelpViewerHost{"C:\\P\\", [] { return std::string("SICE.chm"); }});
    viewer->SetHelpManager(manager->RegisterViewer(viewer));
    manager->SetSelector(viewer);
    if (tester) winHelp->SetFilter(std::make_shared<TVekWinHelpTester>());

    manager->ContextHelp(3, "SICE.chm");
    manager->KeywordHelp("Aulas", "SICE.chm");
    manager->TopicHelp("intro", "SICE.chm");
    manager->ContentsHelp();
    if (tester) {
      EXPECT_EQ(winHelpCalls, 0);
      ASSERT_EQ(log->calls.size(), 4u);
      EXPECT_EQ(log->calls[0].command, kHhHelpContext);
      EXPECT_EQ(log->calls[1].keyword, "Aulas");
      EXPECT_EQ(log->calls[2].file, "C:\\P\\SICE.chm::/intro.htm");
    } else {
      // Keyword help: both viewers have entries and the selector picks its own.
      EXPECT_EQ(winHelpCalls, 2);
      ASSERT_EQ(log->calls.size(), 2u);
      EXPECT_EQ(log->calls[0].command, kHhDisplayIndex);
    }
    // Contents always go to the HTML viewer, the selector's own choice.
    EXPECT_EQ(log->calls.back().command, kHhDisplayToc);
    viewer->ReleaseFromHelpManager();
    manager->Shutdown();
  }
}

}  // namespace
}  // namespace tos
