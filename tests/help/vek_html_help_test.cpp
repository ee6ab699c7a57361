// The HTML help viewer's operations on their own, with a recording engine
// and a fake help manager.
#include "help/vek_html_help.h"

#include <gtest/gtest.h>

#include <memory>

#include "help/recording_engine.h"

namespace tos {
namespace {

using test::EngineCall;
using test::EngineLog;
using test::RecordingEngine;

class FakeManager final : public IHelpManager {
 public:
  uintptr_t OwnerHandle() override { return owner; }
  std::string CurrentHelpFile() override { return helpFile; }
  void ReleaseViewer(int32_t viewerId) override { released.push_back(viewerId); }

  uintptr_t owner = 0;
  std::string helpFile;
  std::vector<int32_t> released;
};

struct ViewerFixture : ::testing::Test {
  std::shared_ptr<EngineLog> log = std::make_shared<EngineLog>();
  std::string applicationFile = "SICE.chm";
  std::shared_ptr<FakeManager> manager = std::make_shared<FakeManager>();
  std::unique_ptr<TVekHtmlHelpViewer> viewer = MakeViewer(true);

  std::unique_ptr<TVekHtmlHelpViewer> MakeViewer(bool hasEntry) {
    HelpViewerHost host{"C:\\P\\", [this] { return applicationFile; }};
    auto v = std::make_unique<TVekHtmlHelpViewer>(std::make_unique<RecordingEngine>(log, hasEntry),
                                                  host);
    v->SetHelpManager(manager);
    return v;
  }
  const EngineCall& Only() {
    EXPECT_EQ(log->calls.size(), 1u);
    static const EngineCall none;
    return log->calls.empty() ? none : log->calls.back();
  }
};

TEST(IsChmFileTest, LooksAtTheTextFromTheLastDot) {
  struct Case {
    const char* name;
    bool chm;
  } cases[] = {
      {"SICE.chm", true},
      {"SICE.CHM", true},
      {"C:\\P\\Sice.ChM", true},
      {"\\TORVEL\\SICE.chm", true},
      {".chm", true},
      {"SICE.chm.bak", false},
      {"SICE", false},
      {"", false},
      {"SICE.chmx", false},
      {"SICE.ch", false},
      {"C:\\a.chm\\SICE", false},
      {"SICE.hlp", false},
      {"C:\\dir.x\\SICE", false},
      {"SICE.chm ", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsChmFile(c.name), c.chm) << c.name;
}

TEST_F(ViewerFixture, OpenTopicCompletesTopicsWithoutAPageExtension) {
  struct Case {
    const char* topic;
    const char* page;
  } cases[] = {
      {"Intro", "Intro.htm"},
      {"Intro.HTML", "Intro.HTML"},
      {"page.htm", "page.htm"},
      {"Page.HtM", "Page.HtM"},
      {"page.asp", "page.asp.htm"},
      {"", ".htm"},
      // A dot that a folder separator or a colon follows is not an extension.
      {"v1.2\\page", "v1.2\\page.htm"},
      {"a.htm:x", "a.htm:x.htm"},
  };
  for (const Case& c : cases) {
    log->calls.clear();
    viewer->OpenTopic(c.topic);
    EXPECT_EQ(Only(),
              (EngineCall{0, std::string("C:\\P\\SICE.chm::/") + c.page, kHhDisplayTopic, 0, {}}))
        << c.topic;
  }
}

TEST_F(ViewerFixture, OpenKeywordShowsTheIndexAtTheEntrysKeyword) {
  struct Case {
    const char* entry;
    const char* keyword;
  } cases[] = {
      {"VekHtmlHelp: Aulas", "Aulas"},
      {"  Aulas \t", "Aulas"},
      {"a: b: c", "b: c"},
      {"Aulas:", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    log->calls.clear();
    viewer->OpenKeyword(c.entry);
    const EngineCall& call = Only();
    EXPECT_EQ(call.file, "C:\\P\\SICE.chm") << c.entry;
    EXPECT_EQ(call.command, kHhDisplayIndex) << c.entry;
    EXPECT_NE(call.data, 0u) << c.entry;
    EXPECT_EQ(call.keyword, c.keyword) << c.entry;
  }
}

TEST_F(ViewerFixture, KeywordEntriesRoundTripsThroughOpenKeyword) {
  std::vector<std::string> entries = viewer->KeywordEntries("Aulas");
  ASSERT_EQ(entries, std::vector<std::string>{"VekHtmlHelp: Aulas"});
  viewer->OpenKeyword(entries[0]);
  EXPECT_EQ(Only().keyword, "Aulas");
}

TEST_F(ViewerFixture, ChooseKeywordEntryFindsTheViewersOwnEntry) {
  struct Case {
    std::vector<std::string> entries;
    int32_t index;
  } cases[] = {
      {{"VekHtmlHelp: Aulas"}, 0},
      {{": Aulas", "VekHtmlHelp: Aulas"}, 1},
      {{"WinHelp: x", "VekHtmlHelp"}, 1},
      {{": Aulas", "vekhtmlhelp: Aulas"}, 0},  // letter case counts
      {{"VekHtmlHelpX: a", " VekHtmlHelp: a"}, 0},
      {{}, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(viewer->ChooseKeywordEntry(c.entries), c.index)
        << ::testing::PrintToString(c.entries);
  }
}

TEST_F(ViewerFixture, ChooseContentsViewerIgnoresLetterCase) {
  EXPECT_EQ(viewer->ChooseContentsViewer({"VekHtmlHelp", "WinHelp"}), 0);
  EXPECT_EQ(viewer->ChooseContentsViewer({"Alpha", "vekhtmlhelp"}), 1);
  EXPECT_EQ(viewer->ChooseContentsViewer({"WinHelp"}), -1);
  EXPECT_EQ(viewer->ChooseContentsViewer({}), -1);
}

TEST_F(ViewerFixture, ResolveHelpFile) {
  struct Case {
    const char* managerFile;
    const char* applicationFile;
    const char* resolved;
  } cases[] = {
      {"", "SICE.chm", "C:\\P\\SICE.chm"},
      {"Otra.chm", "SICE.chm", "C:\\P\\Otra.chm"},
      {"\\TORVEL\\SICE.chm", "SICE.chm", "\\TORVEL\\SICE.chm"},
      {"D:SICE.chm", "", "D:SICE.chm"},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    manager->helpFile = c.managerFile;
    applicationFile = c.applicationFile;
    EXPECT_EQ(viewer->ResolveHelpFile(), c.resolved) << c.managerFile << " / " << c.applicationFile;
  }
  // Without a manager the application's file serves.
  manager->helpFile = "Otra.chm";
  applicationFile = "SICE.chm";
  viewer->ReleaseFromHelpManager();
  EXPECT_EQ(viewer->ResolveHelpFile(), "C:\\P\\SICE.chm");
}

TEST_F(ViewerFixture, ShowOperationsDoNothingForAFileThatIsNotChm) {
  applicationFile = "SICE.hlp";
  EXPECT_EQ(viewer->KeywordHits("Aulas"), 0);
  EXPECT_FALSE(viewer->KnowsTopic("intro"));
  viewer->OpenContents();
  viewer->OpenKeyword("VekHtmlHelp: Aulas");
  viewer->OpenTopic("intro");
  viewer->OpenContext(3, "SICE.chm");
  EXPECT_TRUE(log->calls.empty());
  // Contents are always claimed, whatever the file.
  EXPECT_TRUE(viewer->HasContents());
}

TEST_F(ViewerFixture, ContextIsJudgedOnTheGivenFileButOpenedInTheResolvedOne) {
  manager->helpFile = "\\TORVEL\\SICE.chm";
  EXPECT_TRUE(viewer->KnowsContext(3, "x.chm"));
  EXPECT_FALSE(viewer->KnowsContext(3, "\\TORVEL\\SICE.hlp"));
  viewer->OpenContext(-7, "ignored.chm");
  // The number goes to the engine bit for bit.
  EXPECT_EQ(Only(),
            (EngineCall{0, "\\TORVEL\\SICE.chm", kHhHelpContext, uintptr_t{0xFFFFFFF9u}, {}}));
}

TEST_F(ViewerFixture, EngineCallsTakeTheManagersOwnerExceptCloseAll) {
  manager->owner = 0x42;
  viewer->OpenContents();
  viewer->CloseAll();
  std::vector<EngineCall> expected = {
      {0x42, "C:\\P\\SICE.chm", kHhDisplayToc, 0, {}},
      {0, std::nullopt, kHhCloseAll, 0, {}},
  };
  EXPECT_EQ(log->calls, expected);
}

TEST_F(ViewerFixture, AnEmptyFileReachesTheEngineAsAnEmptyString) {
  viewer->CallEngine("", kHhDisplayToc, 0);
  EXPECT_EQ(Only().file, std::optional<std::string>(""));
}

TEST_F(ViewerFixture, DetachClosesAllAndForgetsTheManager) {
  viewer->Detach();
  EXPECT_EQ(Only().command, kHhCloseAll);
  EXPECT_FALSE(viewer->HasHelpManager());
  EXPECT_TRUE(manager->released.empty());
}

TEST_F(ViewerFixture, ReleaseFromHelpManagerHappensOnce) {
  viewer->TakeViewerId(2);
  viewer->ReleaseFromHelpManager();
  viewer->ReleaseFromHelpManager();
  EXPECT_EQ(manager->released, std::vector<int32_t>{2});
  EXPECT_TRUE(log->calls.empty());
}

TEST_F(ViewerFixture, AMissingEngineSilencesEveryCallButNotTheAnswers) {
  viewer = MakeViewer(false);
  EXPECT_EQ(viewer->NameOfViewer(), "VekHtmlHelp");
  EXPECT_EQ(viewer->KeywordHits("Aulas"), 1);
  EXPECT_TRUE(viewer->KnowsTopic("intro"));
  EXPECT_TRUE(viewer->KnowsContext(3, "SICE.chm"));
  viewer->OpenContents();
  viewer->OpenKeyword("Aulas");
  viewer->OpenTopic("intro");
  viewer->OpenContext(3, "SICE.chm");
  viewer->CloseAll();
  viewer->Detach();
  EXPECT_TRUE(log->calls.empty());
}

TEST_F(ViewerFixture, TheEngineIsUnloadedWithTheViewer) {
  viewer.reset();
  EXPECT_TRUE(log->unloaded);
}

TEST(WinHelpTesterTest, DeclinesEverything) {
  TVekWinHelpTester tester;
  EXPECT_FALSE(tester.AllowsLink("Aulas", "SICE.hlp"));
  EXPECT_FALSE(tester.AllowsTopic("intro", "SICE.hlp"));
  EXPECT_FALSE(tester.AllowsContext(3, "SICE.hlp"));
  EXPECT_EQ(tester.LinkEntries("Aulas"), std::vector<std::string>{": Aulas"});
  EXPECT_EQ(tester.HelpFolder(), "");
  EXPECT_EQ(tester.DefaultHelpFile(), "");
}

}  // namespace
}  // namespace tos
