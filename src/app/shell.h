// The window's life outside the two conversions, kept apart from Win32: the
// closing steps, a conversion's errors, and what happens when the embedding
// window goes away.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/program_state.h"
#include "app/run_mode.h"

namespace tos {

class Shell {
 public:
  // Writes the status file: (path, value), throwing tos::Error on failure.
  using StatusWriter = std::function<void(const std::string&, int32_t)>;

  // The window's parent handle named a window (embedded for real), or it
  // named none: the window stays top-level but keeps the embedded
  // behaviour, since the caller still waits for the status file.
  Shell(const RunMode& mode, std::string statusPath, StatusWriter writer);

  ProgramState& State() { return state_; }
  const RunMode& Mode() const { return mode_; }

  // The closing steps. Nothing when the window may close; otherwise the
  // default error box's text, and the window stays open (a later close
  // tries again).
  std::optional<std::string> Close();

  // Runs one conversion. An error it raises ends it; the text for the
  // default error box is returned (the window stays open). Errors that are
  // not the program's own are shown by their text all the same.
  std::optional<std::string> RunConversion(const std::function<void()>& conversion);
  bool ConversionRunning() const { return running_; }

  // The embedding window has gone, and our window with it. While a
  // conversion runs nothing happens yet: it ends as it would, and then the
  // status is written. Returns whether the program should end now.
  bool ParentGone();
  bool WindowGone() const { return windowGone_; }
  // Whether the program should end after the conversion that just returned
  // (the parent went away meanwhile).
  bool ShouldEndAfterConversion() const { return windowGone_ && ended_; }

  // The exit code: 0, or 1 when the status could not be written after the
  // parent had gone (nobody is left to show a box to).
  int ExitCode() const { return exitCode_; }

 private:
  void FinishWithoutWindow();

  RunMode mode_;
  std::string statusPath_;
  StatusWriter writer_;
  ProgramState state_;
  bool running_ = false;
  bool windowGone_ = false;
  bool ended_ = false;
  int exitCode_ = 0;
};

}  // namespace tos
