// The window's two help requests, from start to end of the program, as the
// engine sees them.
#include "help/program_help.h"

#include <gtest/gtest.h>

#include <memory>

#include "help/recording_engine.h"

namespace tos {
namespace {

using test::EngineCall;
using test::EngineLog;
using test::RecordingEngine;

constexpr const char* kFolder = "C:\\Programas\\TransOrvalentSICE\\";

struct Started {
  std::shared_ptr<EngineLog> log = std::make_shared<EngineLog>();
  std::unique_ptr<ProgramHelp> help;

  explicit Started(bool hasEntry = true, uintptr_t mainWindow = 0x1234) {
    HelpEnvironment environment;
    environment.programFolder = kFolder;
    environment.currentDrive = [] { return std::string("D:"); };
    environment.ownerWindow = [mainWindow] { return mainWindow; };
    help = std::make_unique<ProgramHelp>(environment,
                                         std::make_unique<RecordingEngine>(log, hasEntry));
  }
};

TEST(ProgramHelpTest, EngineCallsOfF1AndTheHelpButton) {
  Started s;
  s.help->ContextHelp(3);
  s.help->HelpButton();
  s.help->ContextHelp(3);
  std::vector<EngineCall> expected = {
      {0, std::string(kFolder) + "SICE.chm", kHhHelpContext, 3, {}},
      // The main window's handle goes with the command, but help windows get
      // no owner.
      {0, "\\TORVEL\\SICE.chm", kHhDisplayToc, 0, {}},
      {0, "\\TORVEL\\SICE.chm", kHhHelpContext, 3, {}},
  };
  EXPECT_EQ(s.log->calls, expected);
  EXPECT_EQ(s.help->ApplicationHelpFile(), "\\TORVEL\\SICE.chm");
}

TEST(ProgramHelpTest, PressingTheButtonTwiceShowsTheContentsTwice) {
  Started s;
  s.help->HelpButton();
  s.help->HelpButton();
  ASSERT_EQ(s.log->calls.size(), 2u);
  EXPECT_EQ(s.log->calls[0], s.log->calls[1]);
}

TEST(ProgramHelpTest, AMissingEngineMakesBothRequestsDoNothing) {
  Started s(/*hasEntry=*/false);
  EXPECT_NO_THROW(s.help->ContextHelp(3));
  EXPECT_NO_THROW(s.help->HelpButton());
  EXPECT_NO_THROW(s.help->ContextHelp(3));
  EXPECT_TRUE(s.log->calls.empty());
  // The viewer is still there and answers as before.
  EXPECT_TRUE(s.help->Viewer().KnowsContext(3, "SICE.chm"));
  EXPECT_EQ(s.help->Manager().ViewerCount(), 2u);
}

TEST(ProgramHelpTest, StartRegistersWinHelpFirstAndTheViewerSecond) {
  Started s;
  EXPECT_EQ(s.help->WinHelp().ViewerId(), 1);
  EXPECT_EQ(s.help->Viewer().ViewerId(), 2);
  EXPECT_TRUE(s.help->Viewer().HasHelpManager());
}

TEST(ProgramHelpTest, EndReleasesTheViewerAndUnloadsTheEngineWithoutClosingWindows) {
  Started s;
  s.help->ContextHelp(3);
  s.help.reset();
  EXPECT_TRUE(s.log->unloaded);
  // Only the F1 call: the end sends no close-all.
  ASSERT_EQ(s.log->calls.size(), 1u);
  EXPECT_EQ(s.log->calls[0].command, kHhHelpContext);
}

TEST(ProgramHelpTest, StartProgramHelpWorksWithThePlatformsEngine) {
  HelpEnvironment environment;
  environment.programFolder = kFolder;
  std::unique_ptr<HelpRequests> help = StartProgramHelp(environment);
  ASSERT_NE(help, nullptr);
#ifndef _WIN32
  // No engine outside Windows: the requests must simply do nothing.
  EXPECT_NO_THROW(help->ContextHelp(3));
  EXPECT_NO_THROW(help->HelpButton());
#endif
}

}  // namespace
}  // namespace tos
