// UTF-8 inside the program, UTF-16 at the Win32 boundary.
#pragma once

#include <windows.h>

#include <string>

#include "data/text.h"

namespace tos::win {

inline std::wstring Wide(const std::string& utf8) {
  std::u16string w = text::Utf8ToUtf16(utf8);
  return std::wstring(w.begin(), w.end());
}

inline std::string Narrow(const std::wstring& wide) {
  return text::Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

}  // namespace tos::win
