#include "app/window/message_box_win.h"

#include "app/error_box.h"
#include "app/window/win_text.h"

namespace tos::win {

namespace {
HHOOK hook = nullptr;
HWND currentBox = nullptr;
bool boxPending = false;

// The box's own button is "OK" in the language of Windows; it is renamed as
// soon as the box exists, before it is shown.
LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE && boxPending) {
    HWND box = reinterpret_cast<HWND>(wParam);
    wchar_t className[16] = {};
    GetClassNameW(box, className, 16);
    if (lstrcmpW(className, L"#32770") == 0) {
      SetDlgItemTextW(box, IDOK, L"Aceptar");
      currentBox = box;
      boxPending = false;
    }
  }
  return CallNextHookEx(hook, code, wParam, lParam);
}
}  // namespace

void ShowMessageBox(HWND owner, const std::string& text, bool error) {
  // Boxes never nest (each is modal), but keep the outer state all the same.
  HHOOK outerHook = hook;
  HWND outerBox = currentBox;
  hook = SetWindowsHookExW(WH_CBT, CbtHook, nullptr, GetCurrentThreadId());
  boxPending = true;
  UINT flags = MB_OK | (error ? MB_ICONERROR : 0u);
  if (!owner) flags |= MB_TASKMODAL;
  MessageBoxW(owner, Wide(text).c_str(), Wide(kApplicationTitle).c_str(), flags);
  if (hook) UnhookWindowsHookEx(hook);
  boxPending = false;
  hook = outerHook;
  currentBox = outerBox;
}

HWND CurrentMessageBox() {
  return currentBox;
}

}  // namespace tos::win
