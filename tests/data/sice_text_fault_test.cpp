// SICE text files under injected faults: a read that fails halfway, a write
// that fills the disk, a rename that fails. The old file must stay whole, no
// temporary may be left, no handle may stay open, and the next try works.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "data/error.h"
#include "data/sice_text.h"
#include "support/faulty_fs.h"
#include "support/temp_dir.h"

namespace tos {
namespace {

using test::FaultyFileSystem;
using test::FsOp;

std::vector<std::string> ReadAllStreamed(const std::string& path) {
  LectorLineas reader;
  reader.Open(path);
  std::vector<std::string> lines;
  while (!reader.AtEnd()) lines.emplace_back(reader.ReadLineView());
  return lines;
}

TEST(FaultyFileSystemTest, FailsOnlyTheNthMatchingOperation) {
  test::TempDir dir;
  test::WriteFile(dir.File("a.txt"), "a\n");
  test::WriteFile(dir.File("b.txt"), "b\n");
  FaultyFileSystem faulty;
  faulty.Fail(FsOp::kOpen, 2, fs::kSharingViolation, "B.TXT");
  fs::ScopedFileSystem scope(faulty);
  EXPECT_NO_THROW(CargarLineas(dir.File("b.txt")));
  EXPECT_NO_THROW(CargarLineas(dir.File("a.txt")));  // another path does not count
  try {
    CargarLineas(dir.File("b.txt"));
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.Code(), fs::kSharingViolation);
  }
  EXPECT_NO_THROW(CargarLineas(dir.File("b.txt")));  // only the second one
  EXPECT_EQ(faulty.Injected(), 1);
  EXPECT_EQ(faulty.Count(FsOp::kOpen, "b.txt"), 3);
  EXPECT_EQ(faulty.OpenHandles(), 0);
}

TEST(FaultyFileSystemTest, PersistentFaultKeepsFailing) {
  test::TempDir dir;
  FaultyFileSystem faulty;
  test::Fault full;
  full.op = FsOp::kWrite;
  full.nth = 2;
  full.persist = true;
  faulty.Add(full);
  fs::ScopedFileSystem scope(faulty);
  auto out = fs::Current().Create(dir.File("x"));
  out->Write("a", 1);
  EXPECT_THROW(out->Write("b", 1), Error);
  EXPECT_THROW(out->Write("c", 1), Error);
  EXPECT_EQ(faulty.Injected(), 2);
}

// The streamed reader meets a read error after some lines: the I/O error
// carries the code and the reader's words for it, and nothing stays open.
TEST(LectorLineasFaultTest, ReadFailingHalfwayRaisesTheIoErrorOfItsCode) {
  test::TempDir dir;
  std::string path = dir.File("sice_prof.txt");
  test::WriteFile(path, "1AAAA\r\n1BBBB\r\n1CCCC\r\n1DDDD\r\n");
  const struct {
    int code;
    const char* text;
  } cases[] = {
      {fs::kAccessDenied, "Acceso al archivo denegado"},
      {fs::kDiskFull, "Disco lleno"},
      {fs::kSharingViolation, "Error de E/S 32"},
      {fs::kLockViolation, "Error de E/S 33"},
      {1117, "Error de E/S 1117"},
  };
  for (const auto& c : cases) {
    FaultyFileSystem faulty;
    faulty.SetReadChunk(7);  // one line per read
    faulty.Fail(FsOp::kRead, 3, c.code);
    fs::ScopedFileSystem scope(faulty);
    std::vector<std::string> got;
    try {
      LectorLineas reader;
      reader.Open(path);
      while (!reader.AtEnd()) got.emplace_back(reader.ReadLineView());
      ADD_FAILURE() << "no error for " << c.code;
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()), c.text);
      EXPECT_EQ(e.Code(), c.code);
    }
    EXPECT_EQ(got, (std::vector<std::string>{"1AAAA", "1BBBB"})) << c.code;
    EXPECT_EQ(faulty.OpenHandles(), 0);
  }
  // And the file reads whole afterwards.
  EXPECT_EQ(ReadAllStreamed(path).size(), 4u);
}

TEST(LectorLineasFaultTest, OpenRefusedGivesTheIoErrorOfItsCode) {
  test::TempDir dir;
  std::string path = dir.File("sice_aulas.txt");
  test::WriteFile(path, "x\n");
  const std::pair<int, const char*> cases[] = {
      {fs::kAccessDenied, "Acceso al archivo denegado"},
      {fs::kSharingViolation, "Error de E/S 32"},
      {fs::kTooManyOpenFiles, "Demasiados archivos abiertos"},
  };
  for (const auto& [code, text] : cases) {
    FaultyFileSystem faulty;
    faulty.Fail(FsOp::kOpen, 1, code);
    fs::ScopedFileSystem scope(faulty);
    LectorLineas reader;
    try {
      reader.Open(path);
      ADD_FAILURE() << "no error for " << code;
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()), text);
      EXPECT_EQ(e.Code(), code);
    }
    EXPECT_FALSE(reader.IsOpen());
  }
}

// A read failing anywhere in the file ends either whole-file reader with
// the same text, naming the path and the reason, and leaves nothing open.
TEST(WholeFileReadersFaultTest, ReadFailingHalfwayNamesThePathAndTheReason) {
  const struct {
    const char* name;
    std::function<void(const std::string&)> read;
  } readers[] = {
      {"CargarLineas", [](const std::string& path) { CargarLineas(path); }},
      {"WholeFileLines",
       [](const std::string& path) {
         WholeFileLines reader(path, 64);
         for (std::string_view line; reader.Next(line);) {
         }
       }},
  };
  test::TempDir dir;
  std::string path = dir.File("sice_asignatcurso.txt");
  test::WriteFile(path, std::string(100, 'x') + "\r\n" + std::string(100, 'y') + "\r\n");
  for (const auto& r : readers) {
    for (int nth = 1; nth <= 3; ++nth) {
      SCOPED_TRACE(std::string(r.name) + ", read " + std::to_string(nth));
      FaultyFileSystem faulty;
      faulty.SetReadChunk(50);
      faulty.Fail(FsOp::kRead, nth, fs::kAccessDenied);
      fs::ScopedFileSystem scope(faulty);
      try {
        r.read(path);
        ADD_FAILURE() << "no error";
      } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot open file \"" + path + "\". " + test::FaultText(fs::kAccessDenied));
        EXPECT_EQ(e.Code(), fs::kAccessDenied);
      }
      EXPECT_EQ(faulty.OpenHandles(), 0);
    }
  }
}

// Every way writing the new file can fail: the old file stays as it was, no
// temporary is left beside it, and a second try on a sound disk writes it.
TEST(GuardarLineasFaultTest, FailureLeavesThePreviousFileWholeAndNoTemporary) {
  const std::string old = "0old header\r\n1old line\r\n9old trailer\r\n";
  std::string text;  // more than one piece of 64 KiB
  for (int i = 0; i < 5000; ++i) text += std::string(26, 'n') + "\r\n";
  const struct {
    const char* name;
    test::Fault fault;
  } cases[] = {
      {"CreateRefused", {FsOp::kOpen, 1, fs::kAccessDenied, "", false, false}},
      {"DiskFullOnFirstWrite", {FsOp::kWrite, 1, fs::kDiskFull, "", true, true}},
      {"DiskFullMidway", {FsOp::kWrite, 2, fs::kDiskFull, "", true, true}},
      {"DiskFullAtClose", {FsOp::kClose, 1, fs::kDiskFull, "", false, false}},
      {"RenameRefused", {FsOp::kRename, 1, fs::kAccessDenied, "", false, false}},
      {"RenameTargetHeld", {FsOp::kRename, 1, fs::kSharingViolation, "", false, false}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempDir dir;
    std::string path = dir.File("SICE_HORARIO.TXT");
    test::WriteFile(path, old);
    {
      FaultyFileSystem faulty;
      faulty.Add(c.fault);
      fs::ScopedFileSystem scope(faulty);
      try {
        GuardarLineas(text, path);
        ADD_FAILURE() << "no error";
      } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot create file \"" + path + "\". " + test::FaultText(c.fault.code));
        EXPECT_EQ(e.Code(), c.fault.code);
      }
      EXPECT_GE(faulty.Injected(), 1);
      EXPECT_EQ(faulty.OpenHandles(), 0);
    }
    EXPECT_EQ(test::ReadFile(path), old);
    EXPECT_FALSE(test::Exists(path + ".tmp~"));
    GuardarLineas(text, path);
    EXPECT_EQ(test::ReadFile(path), text);
  }
}

}  // namespace
}  // namespace tos
