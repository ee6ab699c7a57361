// Exclusive and shared use of a table, within one process and across two.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "data/error.h"
#include "data/files.h"
#include "data/table.h"
#include "support/run_cli.h"
#include "support/temp_dir.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace tos {
namespace {

using test::TempDir;

std::unique_ptr<Table> MakeTable(const std::string& folder) {
  auto t = RecrearTabla(folder, "SOLUC", {{"DIA", FieldKind::kWhole, 0}});
  t->Append();
  t->FieldByName("DIA").SetAsInteger(1);
  t->Post();
  t->Close();
  return t;
}

std::unique_ptr<Table> Opener(const std::string& folder, bool exclusive, bool readOnly = false) {
  auto t = std::make_unique<Table>("wwTableSoluc");
  t->SetFolder(folder);
  t->SetTableName("SOLUC");
  t->SetTableType(TableType::kDBase);
  t->SetExclusive(exclusive);
  t->SetReadOnly(readOnly);
  return t;
}

std::string OpenError(Table& t) {
  try {
    t.Open();
  } catch (const Error& e) {
    return e.what();
  }
  return "";
}

std::string InUse(const std::string& folder) {
  return "La tabla " + fs::Join(folder, "SOLUC.DBF") + " está en uso por otro programa";
}

TEST(TableLockTest, ExclusiveOpenShutsOutEveryOtherOpen) {
  TempDir dir;
  MakeTable(dir.Path());
  auto holder = Opener(dir.Path(), true);
  holder->Open();
  for (bool exclusive : {true, false}) {
    for (bool readOnly : {true, false}) {
      auto other = Opener(dir.Path(), exclusive, readOnly);
      EXPECT_EQ(OpenError(*other), InUse(dir.Path())) << exclusive << readOnly;
      EXPECT_FALSE(other->Active());
    }
  }
  holder->Close();
  auto other = Opener(dir.Path(), true);
  EXPECT_EQ(OpenError(*other), "");
}

TEST(TableLockTest, SharedOpensMixButKeepExclusiveOnesOut) {
  TempDir dir;
  MakeTable(dir.Path());
  auto reader = Opener(dir.Path(), false, true);
  auto writer = Opener(dir.Path(), false, false);
  reader->Open();
  writer->Open();
  auto exclusive = Opener(dir.Path(), true);
  EXPECT_EQ(OpenError(*exclusive), InUse(dir.Path()));
  reader.reset();  // the destructor releases its hold
  EXPECT_EQ(OpenError(*exclusive), InUse(dir.Path()));
  writer->Close();
  EXPECT_EQ(OpenError(*exclusive), "");
}

TEST(TableLockTest, RecrearTablaLeavesAHeldTableAndItsIndexAlone) {
  TempDir dir;
  MakeTable(dir.Path());
  test::WriteFile(dir.File("SOLUC.MDX"), "index");
  test::WriteFile(dir.File("SOLUC.CPG"), "1252");
  std::string before = test::ReadFile(dir.File("SOLUC.DBF"));
  auto holder = Opener(dir.Path(), false, true);  // even a shared reader holds it
  holder->Open();
  try {
    RecrearTabla(dir.Path(), "SOLUC", {{"OTRO", FieldKind::kText, 2}});
    FAIL() << "re-created a table in use";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), InUse(dir.Path()));
  }
  EXPECT_EQ(test::ReadFile(dir.File("SOLUC.DBF")), before);
  EXPECT_TRUE(test::Exists(dir.File("SOLUC.MDX")));
  EXPECT_TRUE(test::Exists(dir.File("SOLUC.CPG")));
  holder->Close();
  auto t = RecrearTabla(dir.Path(), "SOLUC", {{"OTRO", FieldKind::kText, 2}});
  EXPECT_EQ(t->RecordCount(), 0u);
  EXPECT_FALSE(test::Exists(dir.File("SOLUC.MDX")));
}

TEST(TableLockTest, CreateOverAHeldTableFailsWithoutEmptyingIt) {
  TempDir dir;
  MakeTable(dir.Path());
  std::string before = test::ReadFile(dir.File("SOLUC.DBF"));
  auto holder = Opener(dir.Path(), false);
  holder->Open();
  Table t;
  t.SetFolder(dir.Path());
  t.SetTableName("SOLUC.DBF");
  t.FieldDefs() = {{"X", FieldKind::kText, 1}};
  try {
    t.Create();
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), InUse(dir.Path()));
  }
  EXPECT_EQ(test::ReadFile(dir.File("SOLUC.DBF")), before);
}

#ifndef _WIN32
// A table file we may only read, opened exclusively, is held exclusively all
// the same: nobody else may open it while we have it. Run by a user without
// the right to write it (root drops to nobody in a child process).
TEST(TableLockTest, ExclusiveHoldOfAFileWeMayOnlyRead) {
  TempDir dir;
  MakeTable(dir.Path());
  ASSERT_EQ(chmod(dir.Path().c_str(), 0755), 0);
  ASSERT_EQ(chmod(dir.File("SOLUC.DBF").c_str(), 0444), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(90);
    int wrong = 0;
    auto holder = Opener(dir.Path(), true);
    if (OpenError(*holder) != "") _exit(91);
    if (!holder->IsReadOnly()) ++wrong;
    for (bool exclusive : {true, false}) {
      auto other = Opener(dir.Path(), exclusive, true);
      if (OpenError(*other) != InUse(dir.Path())) ++wrong;
    }
    holder->Close();
    auto reader = Opener(dir.Path(), false, true);
    if (OpenError(*reader) != "") ++wrong;
    if (OpenError(*holder) != InUse(dir.Path())) ++wrong;
    _exit(wrong);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "90: could not drop root; 91: no exclusive open";
}

// Other programs lock with lockf or fcntl, whose record locks never see a
// flock. A child process stands for them: while it holds a lockf lock, every
// open of ours is refused "en uso"; while we hold the table, however we
// opened it, its lockf is refused.
TEST(TableLockTest, RecordLocksOfOtherProgramsAndOurHoldsSeeEachOther) {
  TempDir dir;
  MakeTable(dir.Path());
  const std::string path = dir.File("SOLUC.DBF");
  // The child's lockf on the table: 0 when refused, 1 when it got it.
  auto childLockf = [&](bool hold, int readyFd, int goFd) -> int {
    int fd = ::open(path.c_str(), O_RDWR);
    if (fd < 0) return 2;
    if (lockf(fd, F_TLOCK, 0) != 0) return (errno == EACCES || errno == EAGAIN) ? 0 : 3;
    if (!hold) return 1;
    char c = 'r';
    if (write(readyFd, &c, 1) != 1 || read(goFd, &c, 1) != 1) return 4;
    return 1;
  };

  const struct {
    const char* name;
    bool exclusive;
    bool readOnly;
  } ours[] = {{"exclusive", true, false},
              {"exclusive, to read", true, true},
              {"shared", false, false},
              {"shared, to read", false, true}};
  for (const auto& o : ours) {
    SCOPED_TRACE(o.name);
    auto holder = Opener(dir.Path(), o.exclusive, o.readOnly);
    ASSERT_EQ(OpenError(*holder), "");
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(childLockf(false, -1, -1));
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: its lockf got the table we hold";
  }

  int ready[2], go[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(go), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(childLockf(true, ready[1], go[0]));
  char c = 0;
  ASSERT_EQ(read(ready[0], &c, 1), 1) << "the child never held it";
  for (const auto& o : ours) {
    auto other = Opener(dir.Path(), o.exclusive, o.readOnly);
    EXPECT_EQ(OpenError(*other), InUse(dir.Path())) << o.name;
  }
  EXPECT_THROW(RecrearTabla(dir.Path(), "SOLUC", {{"X", FieldKind::kText, 1}}), Error);
  ASSERT_EQ(write(go[1], "g", 1), 1);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
  for (int fd : {ready[0], ready[1], go[0], go[1]}) close(fd);
  // Its lock went with it.
  auto after = Opener(dir.Path(), true);
  EXPECT_EQ(OpenError(*after), "");
  EXPECT_EQ(after->FieldByName("DIA").AsInteger(), 1);
}
#endif

// --- Two processes -----------------------------------------------------------

constexpr const char* kHoldVariable = "TOS_HOLD_TABLE_IN";

void SetVariable(const char* name, const std::string& value) {
#ifdef _WIN32
  _putenv_s(name, value.c_str());
#else
  if (value.empty())
    unsetenv(name);
  else
    setenv(name, value.c_str(), 1);
#endif
}

bool WaitFor(const std::string& path, std::chrono::seconds limit) {
  auto until = std::chrono::steady_clock::now() + limit;
  while (!test::Exists(path)) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// The child's side: run by HeldByAnotherProcess as its own process; skipped
// when the test run is an ordinary one.
TEST(TableHolderChild, HoldsTheTableUntilReleased) {
  const char* folder = std::getenv(kHoldVariable);
  if (!folder || !*folder) GTEST_SKIP() << "only run as the child of HeldByAnotherProcess";
  std::string dir = folder;
  {
    auto t = Opener(dir, true);
    t->Open();
    test::WriteFile(fs::Join(dir, "ready"), "");
    ASSERT_TRUE(WaitFor(fs::Join(dir, "release"), std::chrono::seconds(120)));
  }
  test::WriteFile(fs::Join(dir, "done"), "");
}

TEST(TableLockTest, HeldByAnotherProcess) {
  TempDir dir;
  MakeTable(dir.Path());
  std::string self = ::testing::internal::GetArgvs()[0];
  std::string filter = "--gtest_filter=TableHolderChild.HoldsTheTableUntilReleased";
  SetVariable(kHoldVariable, dir.Path());
#ifdef _WIN32
  std::string command = "start \"\" /b \"" + self + "\" " + filter + " >NUL 2>&1";
#else
  std::string command = test::ProgramCommand(self) + " " + filter + " >/dev/null 2>&1 &";
#endif
  int started = std::system(command.c_str());
  SetVariable(kHoldVariable, "");
  ASSERT_EQ(started, 0);
  ASSERT_TRUE(WaitFor(dir.File("ready"), std::chrono::seconds(60))) << "the child never held it";

  auto exclusive = Opener(dir.Path(), true);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(OpenError(*exclusive), InUse(dir.Path()));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));  // at once
  auto shared = Opener(dir.Path(), false, true);
  EXPECT_EQ(OpenError(*shared), InUse(dir.Path()));
  EXPECT_THROW(RecrearTabla(dir.Path(), "SOLUC", {{"X", FieldKind::kText, 1}}), Error);
  EXPECT_TRUE(test::Exists(dir.File("SOLUC.DBF")));

  test::WriteFile(dir.File("release"), "");
  ASSERT_TRUE(WaitFor(dir.File("done"), std::chrono::seconds(60)));
  // The child may still be on its way out; its hold went with its table.
  EXPECT_EQ(OpenError(*exclusive), "");
  EXPECT_EQ(exclusive->FieldByName("DIA").AsInteger(), 1);
  exclusive->Close();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));  // let the child exit before cleanup
}

}  // namespace
}  // namespace tos
