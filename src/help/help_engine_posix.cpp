// Outside Windows there is no HTML Help engine: the viewer answers all the
// same, and its engine calls do nothing.
#include "help/help_engine.h"

namespace tos {

namespace {

class NoHtmlHelpEngine final : public HtmlHelpEngine {
 public:
  bool HasEntry() const override { return false; }
  uintptr_t HtmlHelp(uintptr_t, const char*, uint32_t, uintptr_t) override { return 0; }
};

}  // namespace

std::unique_ptr<HtmlHelpEngine> LoadHtmlHelpEngine() {
  return std::make_unique<NoHtmlHelpEngine>();
}

}  // namespace tos
