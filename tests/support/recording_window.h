// A WindowServices that records what a conversion asked of the window.
#pragma once

#include <string>
#include <vector>

#include "core/window_services.h"

namespace tos::test {

class RecordingWindow final : public WindowServices {
 public:
  explicit RecordingWindow(std::string folder = "") : folder(std::move(folder)) {}

  std::string ChosenFolder() override { return folder; }
  void ShowMessage(const std::string& text) override {
    messages.push_back(text);
    events.push_back("message:" + text);
  }
  void SetHourglass(bool on) override {
    hourglass = on;
    events.push_back(on ? "hourglass:on" : "hourglass:off");
  }
  void CloseWindow() override {
    ++closes;
    events.push_back("close");
  }

  std::string folder;
  std::vector<std::string> messages;
  std::vector<std::string> events;
  bool hourglass = false;
  int closes = 0;
};

}  // namespace tos::test
