// Embedded, the parent window goes away in the middle of a real conversion:
// the conversion ends as it would, then the status file gets its final
// outcome and the program ends, with exit code 1 only when that write fails,
// and a failed write still keeps Orvalent.ini whole.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/shell.h"
#include "app/status_file.h"
#include "data/error.h"
#include "data/sice_text.h"
#include "import/import_run.h"
#include "support/faulty_fs.h"
#include "support/recording_window.h"
#include "support/temp_dir.h"

namespace tos {
namespace {

using test::FaultyFileSystem;
using test::FsOp;

const std::string kOtherSettings = "[Orvalent]\r\nRuta=C:\\OTEMP\r\n\r\n; fin";

// The window of an embedded program whose parent is closed as soon as the
// conversion puts up the hourglass.
class VanishingWindow final : public WindowServices {
 public:
  VanishingWindow(Shell& shell, std::string folder) : shell_(shell), folder_(std::move(folder)) {}
  std::string ChosenFolder() override { return folder_; }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void SetHourglass(bool on) override {
    if (on && !shell_.WindowGone()) {
      EXPECT_FALSE(shell_.ParentGone()) << "ended mid-run";
    }
  }
  void CloseWindow() override { ++closes; }
  std::vector<std::string> messages;
  int closes = 0;

 private:
  Shell& shell_;
  std::string folder_;
};

class ParentGone : public ::testing::Test {
 protected:
  ParentGone() : sice(dir.MakeDir("sice")), otemp(dir.MakeDir("otemp")) {
    ini = StatusFilePath(dir.Path());
    test::WriteFile(ini, kOtherSettings);
    test::WriteLines(fs::Join(sice, "sice_prof.txt"), {"0", "1P001Garcia", "9"});
  }

  // Runs the import in an embedded shell whose parent vanishes meanwhile.
  Shell RunImport() {
    Shell shell(DecideRunMode({"exportar", "1a2b"}), ini, WriteStatusFile);
    VanishingWindow window(shell, sice);
    error = shell.RunConversion([&] { BExportarClick(shell.State(), window, otemp); });
    EXPECT_TRUE(shell.ShouldEndAfterConversion());
    return shell;
  }

  int32_t WrittenStatus() {
    std::string content = test::ReadFile(ini);
    EXPECT_EQ(content.rfind(kOtherSettings, 0), 0u) << "Orvalent's settings were not kept";
    size_t at = content.find("Transformado=");
    if (at == std::string::npos) return 999;
    return std::stoi(content.substr(at + 13));
  }

  test::TempDir dir;
  std::string sice;
  std::string otemp;
  std::string ini;
  std::optional<std::string> error;
};

TEST_F(ParentGone, TheRunEndsThenItsOutcomeIsWritten) {
  Shell shell = RunImport();
  EXPECT_FALSE(error);
  EXPECT_EQ(shell.ExitCode(), 0);
  // Only the teachers file was there: the run ended incomplete.
  EXPECT_EQ(WrittenStatus(), -1);
  EXPECT_TRUE(test::Exists(fs::Join(otemp, "PROFT.DBF")));
}

TEST_F(ParentGone, AFailingRunStillWritesItsStatus) {
  std::filesystem::remove_all(otemp);  // the first table cannot be made
  Shell shell = RunImport();
  ASSERT_TRUE(error);
  EXPECT_EQ(shell.ExitCode(), 0);
  EXPECT_EQ(WrittenStatus(), -1);
}

#ifndef _WIN32  // on Windows the platform's private-profile API writes the file
TEST_F(ParentGone, AStatusThatCannotBeWrittenEndsWithCodeOne) {
  for (FsOp op : {FsOp::kOpen, FsOp::kWrite, FsOp::kClose, FsOp::kRename}) {
    SCOPED_TRACE(static_cast<int>(op));
    test::WriteFile(ini, kOtherSettings);
    FaultyFileSystem faulty;
    faulty.Add({op, 1, fs::kDiskFull, "Orvalent.ini", true, op == FsOp::kWrite});
    fs::ScopedFileSystem scope(faulty);
    Shell shell = RunImport();
    EXPECT_FALSE(error);
    EXPECT_EQ(shell.ExitCode(), 1);
    EXPECT_EQ(test::ReadFile(ini), kOtherSettings);
    EXPECT_EQ(faulty.OpenHandles(), 0);
  }
}

TEST_F(ParentGone, WhileIdleWithAStatusThatCannotBeWritten) {
  FaultyFileSystem faulty;
  faulty.Add({FsOp::kWrite, 1, fs::kDiskFull, "Orvalent.ini", true, true});
  fs::ScopedFileSystem scope(faulty);
  Shell shell(DecideRunMode({"importar", "1a2b"}), ini, WriteStatusFile);
  EXPECT_TRUE(shell.ParentGone());
  EXPECT_EQ(shell.ExitCode(), 1);
  EXPECT_EQ(test::ReadFile(ini), kOtherSettings);
}
#endif

}  // namespace
}  // namespace tos
