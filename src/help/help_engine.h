// The HTML Help engine: one entry point of a library that is loaded once at
// start. On Windows "HtmlHelpA" in "HHCtrl.ocx"; elsewhere there is none.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace tos {

// The engine's commands that the viewer sends.
constexpr uint32_t kHhDisplayTopic = 0;  // file "::/" topic, data 0
constexpr uint32_t kHhDisplayToc = 1;    // file, data 0
constexpr uint32_t kHhDisplayIndex = 2;  // file, data the address of the keyword
constexpr uint32_t kHhHelpContext = 15;  // file, data the context number
constexpr uint32_t kHhCloseAll = 18;     // no file, data 0

// A loaded engine library. Destroying it unloads the library.
class HtmlHelpEngine {
 public:
  virtual ~HtmlHelpEngine() = default;
  // False when the library or its entry point is missing; calls then must
  // not be made.
  virtual bool HasEntry() const = 0;
  // The engine call. file is a zero-terminated UTF-8 path (optionally
  // followed by "::/" and a topic), or null; for kHhDisplayIndex data is the
  // address of a zero-terminated UTF-8 keyword. The engine's result is the
  // help window, as an integer.
  virtual uintptr_t HtmlHelp(uintptr_t owner, const char* file, uint32_t command,
                             uintptr_t data) = 0;
};

// Loads the platform's engine; never fails (a missing engine has no entry).
std::unique_ptr<HtmlHelpEngine> LoadHtmlHelpEngine();

// Windows only: the path as the engine's ANSI entry point wants it: the active code page
// form, or, when the path has characters that code page lacks, the file's
// short (8.3) name, which is plain ASCII. Anything that cannot be put right
// keeps the code page's replacement characters.
std::string AnsiFormOfPath(std::string_view utf8Path);

}  // namespace tos
