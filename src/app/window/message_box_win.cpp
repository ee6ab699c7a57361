#include "app/window/message_box_win.h"

#include "app/window/win_text.h"
#include "core/error_text.h"

namespace tos::win {

namespace {
HHOOK hook = nullptr;
HWND currentBox = nullptr;
bool boxPending = false;
bool yesNoPending = false;

// The box's own buttons are "OK", "Yes" and "No" in the language of
// Windows; they are renamed as soon as the box exists, before it is shown.
LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE && boxPending) {
    HWND box = reinterpret_cast<HWND>(wParam);
    wchar_t className[16] = {};
    GetClassNameW(box, className, 16);
    if (lstrcmpW(className, L"#32770") == 0) {
      if (yesNoPending) {
        SetDlgItemTextW(box, IDYES, L"S\u00ed");
        SetDlgItemTextW(box, IDNO, L"No");
      } else {
        SetDlgItemTextW(box, IDOK, L"Aceptar");
      }
      currentBox = box;
      boxPending = false;
    }
  }
  return CallNextHookEx(hook, code, wParam, lParam);
}

int ShowBox(HWND owner, const std::string& text, UINT flags, bool yesNo) {
  // Boxes never nest (each is modal), but keep the outer state all the same.
  HHOOK outerHook = hook;
  HWND outerBox = currentBox;
  bool outerYesNo = yesNoPending;
  hook = SetWindowsHookExW(WH_CBT, CbtHook, nullptr, GetCurrentThreadId());
  boxPending = true;
  yesNoPending = yesNo;
  if (!owner) flags |= MB_TASKMODAL;
  int answer = MessageBoxW(owner, Wide(text).c_str(), Wide(kApplicationTitle).c_str(), flags);
  if (hook) UnhookWindowsHookEx(hook);
  boxPending = false;
  hook = outerHook;
  currentBox = outerBox;
  yesNoPending = outerYesNo;
  return answer;
}
}  // namespace

void ShowMessageBox(HWND owner, const std::string& text, bool error) {
  ShowBox(owner, text, MB_OK | (error ? MB_ICONERROR : 0u), false);
}

bool AskYesNo(HWND owner, const std::string& text) {
  return ShowBox(owner, text, MB_YESNO | MB_ICONQUESTION, true) == IDYES;
}

HWND CurrentMessageBox() {
  return currentBox;
}

}  // namespace tos::win
