// An HTML Help engine that records its calls instead of showing anything.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "help/help_engine.h"

namespace tos::test {

struct EngineCall {
  uintptr_t owner = 0;
  std::optional<std::string> file;  // nothing for a null file argument
  uint32_t command = 0;
  uintptr_t data = 0;
  std::string keyword;  // the text behind data, for the index command

  bool operator==(const EngineCall&) const = default;
};

// What the engine saw; shared with the test, since the viewer owns the
// engine and may have unloaded it by the time the test looks.
struct EngineLog {
  std::vector<EngineCall> calls;
  bool unloaded = false;
};

class RecordingEngine final : public HtmlHelpEngine {
 public:
  explicit RecordingEngine(std::shared_ptr<EngineLog> log, bool hasEntry = true)
      : log_(std::move(log)), hasEntry_(hasEntry) {}
  ~RecordingEngine() override { log_->unloaded = true; }

  bool HasEntry() const override { return hasEntry_; }
  uintptr_t HtmlHelp(uintptr_t owner, const char* file, uint32_t command, uintptr_t data) override {
    EngineCall call{owner, std::nullopt, command, data, {}};
    if (file != nullptr) call.file = file;
    if (command == kHhDisplayIndex && data != 0) call.keyword = reinterpret_cast<const char*>(data);
    log_->calls.push_back(call);
    return 0;
  }

 private:
  std::shared_ptr<EngineLog> log_;
  bool hasEntry_;
};

}  // namespace tos::test
