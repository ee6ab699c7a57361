// The program's message boxes: modal, caption "transTarvexSice", one button
// reading "Aceptar" (or, for a question, "Sí" and "No") whatever the
// language of Windows.
#pragma once

#include <windows.h>

#include <string>

namespace tos::win {

// A plain message (no icon) or the default error box (error icon).
void ShowMessageBox(HWND owner, const std::string& text, bool error);

// A question with "Sí" and "No"; true when the answer is "Sí".
bool AskYesNo(HWND owner, const std::string& text);

// The box being shown, or nullptr; a box whose window went away can be
// dismissed through it.
HWND CurrentMessageBox();

}  // namespace tos::win
