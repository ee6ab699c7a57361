// The Windows binding of the HTML Help engine: loading, unloading, and the
// ANSI form of the paths it is given.
#ifdef _WIN32

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "data/text.h"
#include "help/help_engine.h"
#include "support/temp_dir.h"

namespace tos {
namespace {

bool HhctrlLoaded() {
  return GetModuleHandleW(L"hhctrl.ocx") != nullptr;
}

TEST(HelpEngineWinTest, LoadsTheEngineAndUnloadsItWhenNeverCalled) {
  // Each case runs in a process of its own under ctest; a whole-program run
  // may have the library kept loaded by an earlier case.
  if (HhctrlLoaded()) GTEST_SKIP() << "hhctrl.ocx was loaded before this case";
  {
    std::unique_ptr<HtmlHelpEngine> engine = LoadHtmlHelpEngine();
    EXPECT_TRUE(engine->HasEntry());
    EXPECT_TRUE(HhctrlLoaded());
  }
  EXPECT_FALSE(HhctrlLoaded());
}

TEST(HelpEngineWinTest, KeepsTheEngineLoadedOnceItMayHaveOpenWindows) {
  std::unique_ptr<HtmlHelpEngine> engine = LoadHtmlHelpEngine();
  ASSERT_TRUE(engine->HasEntry());
  // Closing all opens nothing, but any call may leave windows behind.
  engine->HtmlHelp(0, nullptr, kHhCloseAll, 0);
  engine.reset();
  EXPECT_TRUE(HhctrlLoaded());
}

TEST(HelpEngineWinTest, AnsiFormOfPlainPathsIsTheCodePageForm) {
  EXPECT_EQ(AnsiFormOfPath("\\TORVEL\\SICE.chm"), "\\TORVEL\\SICE.chm");
  EXPECT_EQ(AnsiFormOfPath(""), "");
  if (GetACP() == 1252) {
    EXPECT_EQ(AnsiFormOfPath("C:\\Año\\SICE.chm"), "C:\\A\xF1o\\SICE.chm");
  }
}

TEST(HelpEngineWinTest, APathOutsideTheCodePageBecomesItsShortName) {
  test::TempDir dir;
  // Greek omega and a CJK character: in no Western code page.
  std::string folder = dir.Path() + "\\Ayuda \xCE\xA9\xE6\x97\xA5";
  std::u16string wideFolder = text::Utf8ToUtf16(folder);
  ASSERT_TRUE(CreateDirectoryW(reinterpret_cast<LPCWSTR>(wideFolder.c_str()), nullptr));
  std::string file = folder + "\\SICE.chm";
  std::u16string wideFile = text::Utf8ToUtf16(file);
  HANDLE h = CreateFileW(reinterpret_cast<LPCWSTR>(wideFile.c_str()), GENERIC_WRITE, 0, nullptr,
                         CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);

  std::string ansi = AnsiFormOfPath(file);
  EXPECT_EQ(ansi.find('?'), std::string::npos) << ansi;
  // The ANSI form names the same file.
  h = CreateFileA(ansi.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(h, INVALID_HANDLE_VALUE) << ansi;
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  DeleteFileW(reinterpret_cast<LPCWSTR>(wideFile.c_str()));
  RemoveDirectoryW(reinterpret_cast<LPCWSTR>(wideFolder.c_str()));
}

TEST(HelpEngineWinTest, AMissingFileOutsideTheCodePageKeepsTheReplacementCharacters) {
  std::string ansi = AnsiFormOfPath("C:\\no existe \xCE\xA9\\SICE.chm");
  EXPECT_EQ(ansi.substr(0, 13), "C:\\no existe ");
  EXPECT_EQ(ansi.substr(ansi.size() - 9), "\\SICE.chm");
}

}  // namespace
}  // namespace tos

#endif  // _WIN32
