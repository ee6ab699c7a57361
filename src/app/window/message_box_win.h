// The program's message boxes: modal, caption "transTarvexSice", one button
// reading "Aceptar" whatever the language of Windows.
#pragma once

#include <windows.h>

#include <string>

namespace tos::win {

// A plain message (no icon) or the default error box (error icon).
void ShowMessageBox(HWND owner, const std::string& text, bool error);

// The box being shown, or nullptr; a box whose window went away can be
// dismissed through it.
HWND CurrentMessageBox();

}  // namespace tos::win
