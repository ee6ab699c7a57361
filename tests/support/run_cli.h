// The converter run as its own process, as a user or Orvalent's staff would
// run it from a shell: its exit status and what it printed.
#pragma once

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace tos::test {

struct CliRun {
  int status = -1;       // the exit status; -1 when it did not exit normally
  std::string out;       // stdout, as written
  std::string err;       // stderr, as written
  std::string messages;  // stderr without its CRs and without the notices' counts
  std::string notices;   // the notices' counts ("Avisos: ..." lines) of stderr
  std::string page;      // where the page was written ("Informe: ..."), "" when none was
};

// The converter, from TOS_CLI (set by ctest); under Wine the Linux path is
// reached through drive Z:.
std::string CliPath();

// A program of this build, quoted for the shell, behind the emulator that
// starts this build's programs where there is one (TOS_LOADER, set by ctest
// for a 32-bit Linux build run under user-mode emulation).
std::string ProgramCommand(const std::string& path);

// arg quoted for the platform's shell (sh, or cmd.exe under Windows).
std::string ShellQuote(const std::string& arg);

// Runs command through the shell and returns its exit status (-1 when it
// did not exit normally).
int RunShell(const std::string& command);

// Runs the converter named by TOS_CLI (set by ctest; under Wine the Linux
// path is reached through drive Z:) with args, through the shell, its
// output captured in files of temp. Fails the test when TOS_CLI is unset.
CliRun RunCli(const TempDir& temp, const std::vector<std::string>& args);

}  // namespace tos::test
