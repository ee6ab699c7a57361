#include "app/shell.h"

#include <gtest/gtest.h>

#include <vector>

#include "data/error.h"

namespace tos {
namespace {

struct Writes {
  std::vector<std::pair<std::string, int32_t>> done;
  bool fail = false;
  Shell::StatusWriter Writer() {
    return [this](const std::string& path, int32_t value) {
      if (fail) throw Error("Unable to write to " + path);
      done.emplace_back(path, value);
    };
  }
};

RunMode Embedded() {
  return DecideRunMode({"importar", "1a2b"});
}

TEST(ShellTest, ClosingWritesOnlyWhenEmbedded) {
  Writes writes;
  Shell standAlone(DecideRunMode({}), "C:\\P\\Orvalent.ini", writes.Writer());
  standAlone.State().EstadoTransformacion = 1;
  EXPECT_FALSE(standAlone.Close());
  EXPECT_TRUE(writes.done.empty());

  Shell badHandle(DecideRunMode({"importar", "xyz"}), "C:\\P\\Orvalent.ini", writes.Writer());
  EXPECT_EQ(badHandle.State().NumParametros, 0);
  EXPECT_FALSE(badHandle.Close());
  EXPECT_TRUE(writes.done.empty());

  Shell embedded(Embedded(), "C:\\P\\Orvalent.ini", writes.Writer());
  EXPECT_EQ(embedded.State().NumParametros, 2);
  EXPECT_FALSE(embedded.Close());
  ASSERT_EQ(writes.done.size(), 1u);
  EXPECT_EQ(writes.done[0], (std::pair<std::string, int32_t>{"C:\\P\\Orvalent.ini", 0}));
}

TEST(ShellTest, FailedWriteKeepsTheWindowAndALaterCloseRetries) {
  Writes writes;
  writes.fail = true;
  Shell shell(Embedded(), "C:\\P\\Orvalent.ini", writes.Writer());
  shell.State().EstadoTransformacion = -1;
  EXPECT_EQ(shell.Close(), "Unable to write to C:\\P\\Orvalent.ini.");
  writes.fail = false;
  EXPECT_FALSE(shell.Close());
  ASSERT_EQ(writes.done.size(), 1u);
  EXPECT_EQ(writes.done[0].second, -1);
}

TEST(ShellTest, ConversionErrorsBecomeTheErrorBoxText) {
  Writes writes;
  Shell shell(Embedded(), "ini", writes.Writer());
  EXPECT_FALSE(shell.RunConversion([] {}));
  EXPECT_EQ(shell.RunConversion([] { throw Error("'x' no es un valor entero válido"); }),
            "'x' no es un valor entero válido.");
  EXPECT_EQ(shell.RunConversion([] { throw std::runtime_error("Disco lleno!"); }), "Disco lleno!");
  EXPECT_FALSE(shell.ConversionRunning());
  EXPECT_TRUE(writes.done.empty()) << "an error never closes the window by itself";
}

TEST(ShellTest, ParentGoneWhileIdleWritesAndEnds) {
  for (bool fail : {false, true}) {
    Writes writes;
    writes.fail = fail;
    Shell shell(Embedded(), "ini", writes.Writer());
    shell.State().EstadoTransformacion = 1;
    EXPECT_TRUE(shell.ParentGone());
    EXPECT_EQ(shell.ExitCode(), fail ? 1 : 0);
    EXPECT_EQ(writes.done.size(), fail ? 0u : 1u);
    // A second notice (the timer and the window's own end) writes nothing more.
    EXPECT_TRUE(shell.ParentGone());
    EXPECT_EQ(writes.done.size(), fail ? 0u : 1u);
  }
}

TEST(ShellTest, ParentGoneDuringAConversionWaitsForItsEnd) {
  Writes writes;
  Shell shell(Embedded(), "ini", writes.Writer());
  bool endedNow = true;
  std::optional<std::string> error = shell.RunConversion([&] {
    shell.State().EstadoTransformacion = 1;
    endedNow = shell.ParentGone();
    EXPECT_TRUE(shell.WindowGone());
    EXPECT_TRUE(writes.done.empty()) << "nothing is written while the run goes on";
    shell.State().EstadoTransformacion = -1;  // the run carries on and sets its outcome
  });
  EXPECT_FALSE(endedNow);
  EXPECT_FALSE(error);
  EXPECT_TRUE(shell.ShouldEndAfterConversion());
  ASSERT_EQ(writes.done.size(), 1u);
  EXPECT_EQ(writes.done[0].second, -1) << "the status is the run's final one";
  EXPECT_EQ(shell.ExitCode(), 0);
}

TEST(ShellTest, ParentGoneDuringAFailingConversion) {
  Writes writes;
  Shell shell(Embedded(), "ini", writes.Writer());
  std::optional<std::string> error = shell.RunConversion([&] {
    shell.State().EstadoTransformacion = 1;
    shell.ParentGone();
    throw Error("No se encuentra el campo 'DIA'");
  });
  EXPECT_TRUE(error);
  EXPECT_TRUE(shell.ShouldEndAfterConversion());
  ASSERT_EQ(writes.done.size(), 1u);
  EXPECT_EQ(writes.done[0].second, 1);
}

}  // namespace
}  // namespace tos
