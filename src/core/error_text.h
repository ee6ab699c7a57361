// What every error shown to the user shares, in the window's boxes and in
// the converter's lines: the default error text and the program's title.
#pragma once

#include <string>

namespace tos {

// Caption of every message box and the program's task-bar name.
inline constexpr const char* kApplicationTitle = "transTarvexSice";

// The error's message with "." appended when its last character has a
// higher code than "." (so not after ".", "!", "," or a blank).
std::string DefaultErrorText(const std::string& message);

}  // namespace tos
