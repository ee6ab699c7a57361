#include "app/shell.h"

#include <exception>

#include "core/error_text.h"
#include "data/error.h"

namespace tos {

Shell::Shell(const RunMode& mode, std::string statusPath, StatusWriter writer)
    : mode_(mode), statusPath_(std::move(statusPath)), writer_(std::move(writer)) {
  state_.EstadoTransformacion = 0;
  if (mode_.embedded) state_.NumParametros = 2;
}

std::optional<std::string> Shell::Close() {
  if (!state_.Embedded()) return std::nullopt;
  try {
    writer_(statusPath_, state_.EstadoTransformacion);
  } catch (const std::exception& e) {
    return DefaultErrorText(e.what());
  }
  return std::nullopt;
}

std::optional<std::string> Shell::RunConversion(const std::function<void()>& conversion) {
  running_ = true;
  std::optional<std::string> error;
  try {
    conversion();
  } catch (const std::exception& e) {
    error = DefaultErrorText(e.what());
  } catch (...) {
    error = DefaultErrorText("Error desconocido");
  }
  running_ = false;
  if (windowGone_ && !ended_) FinishWithoutWindow();
  return error;
}

bool Shell::ParentGone() {
  windowGone_ = true;
  if (running_) return false;
  if (!ended_) FinishWithoutWindow();
  return true;
}

void Shell::FinishWithoutWindow() {
  ended_ = true;
  // Stand-alone windows have no parent to lose; embedded ones write as
  // closing does.
  if (Close()) exitCode_ = 1;
}

}  // namespace tos
