// The status file when writing it fails: the user is told "Unable to write
// to <path>", Orvalent.ini keeps everything it held (other programs keep
// their settings there), and the next close writes it.
#include <gtest/gtest.h>

#include "app/status_file.h"
#include "data/error.h"
#include "support/faulty_fs.h"
#include "support/temp_dir.h"

namespace tos {
namespace {

using test::FaultyFileSystem;
using test::FsOp;

// Other sections, comments, blank lines and no line end after the last line.
const std::string kOrvalentIni =
    "; Orvalent\r\n[Orvalent]\r\nRuta=C:\\OTEMP\r\n\r\n[Transformadores]\r\n"
    "; ultimo resultado\r\nTransformado=0\r\nOtro=7\r\n\r\n[Z]\r\nk=v";

TEST(StatusFileFaultTest, EverythingElseInTheFileIsKept) {
  test::TempDir dir;
  std::string path = StatusFilePath(dir.Path());
  test::WriteFile(path, kOrvalentIni);
  WriteStatusFile(path, -1);
  std::string expected = kOrvalentIni;
  expected.replace(expected.find("Transformado=0"), 14, "Transformado=-1");
  EXPECT_EQ(test::ReadFile(path), expected);
  WriteStatusFile(path, 1);
  expected.replace(expected.find("Transformado=-1"), 15, "Transformado=1");
  EXPECT_EQ(test::ReadFile(path), expected);
}

#ifndef _WIN32  // on Windows the platform's private-profile API writes the file
TEST(StatusFileFaultTest, FailedWriteSaysSoAndLosesNothing) {
  const struct {
    const char* name;
    test::Fault fault;
  } cases[] = {
      {"OpenForReadingRefused", {FsOp::kOpen, 1, fs::kSharingViolation, "", false, false}},
      {"ReadFails", {FsOp::kRead, 1, fs::kAccessDenied, "", false, false}},
      {"CreateRefused", {FsOp::kOpen, 2, fs::kAccessDenied, "", false, false}},
      {"DiskFullWhileWriting", {FsOp::kWrite, 1, fs::kDiskFull, "", true, true}},
      {"DiskFullAtClose", {FsOp::kClose, 1, fs::kDiskFull, "", false, false}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempDir dir;
    std::string path = StatusFilePath(dir.Path());
    test::WriteFile(path, kOrvalentIni);
    {
      FaultyFileSystem faulty;
      faulty.Add(c.fault);
      fs::ScopedFileSystem scope(faulty);
      try {
        WriteStatusFile(path, 1);
        ADD_FAILURE() << "no error";
      } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
      }
      EXPECT_EQ(faulty.Injected(), 1);
      EXPECT_EQ(faulty.OpenHandles(), 0);
    }
    // Orvalent's own settings must survive a failed write of ours: a file
    // rewritten in place is empty or cut short when the disk fills up, so the
    // new content has to be written beside it and renamed over it.
    EXPECT_EQ(test::ReadFile(path), kOrvalentIni);
    // The next close writes it.
    WriteStatusFile(path, 1);
    EXPECT_NE(test::ReadFile(path).find("Transformado=1\r\nOtro=7"), std::string::npos);
  }
}

TEST(StatusFileFaultTest, FailedWriteOfANewFileLeavesNoneOrAWholeOne) {
  test::TempDir dir;
  std::string path = StatusFilePath(dir.Path());
  {
    FaultyFileSystem faulty;
    faulty.Add({FsOp::kWrite, 1, fs::kDiskFull, "", true, true});
    fs::ScopedFileSystem scope(faulty);
    EXPECT_THROW(WriteStatusFile(path, 1), Error);
  }
  if (test::Exists(path)) {
    std::string left = test::ReadFile(path);
    EXPECT_TRUE(left.empty() || left == "[Transformadores]\r\nTransformado=1\r\n") << left;
  }
  WriteStatusFile(path, 1);
  EXPECT_EQ(test::ReadFile(path), "[Transformadores]\r\nTransformado=1\r\n");
}
#endif

}  // namespace
}  // namespace tos
