// End to end, the program's help: F1 in the window and the "F1 AYUDA"
// button each open a window of the HTML Help engine. The shell around the
// driver (help_e2e.sh) checks the engine calls behind them in the engine's
// trace.
#include <windows.h>

#include <string>

#include "app/layout.h"
#include "e2e/driver_harness_win.h"

namespace tos::e2e {
namespace {

// The HTML Help engine's top-level window.
constexpr const wchar_t* kHelpWindowClass = L"HH Parent";

Paths paths;

HWND Control(HWND parent, int panelId, int controlId) {
  HWND panel = GetDlgItem(parent, panelId);
  return panel ? GetDlgItem(panel, controlId) : nullptr;
}

// Waits for a help window of the program, checks it, and closes it so that
// the next request must open one of its own.
void ExpectHelpWindow(const Program& program, const std::string& what) {
  HWND help = FindTop(program.Pid(), kHelpWindowClass, 20000);
  Check(help != nullptr, what + " opens a help window");
  if (!help) return;
  Log("  help window: \"" + Text(help) + "\"");
  PostMessageW(help, WM_CLOSE, 0, 0);
  Check(WaitFor([&] { return !IsWindow(help) || !IsWindowVisible(help); }, 10000),
        "the help window closes");
  Pump(300);
}

// A real F1 with the focus in the folder list (F1 reaches a window as
// WM_HELP only through the keyboard).
void PressF1(HWND form, HWND list) {
  RECT r;
  GetWindowRect(list, &r);
  Check(Request(paths, "click " + std::to_string(r.left + 60) + " " + std::to_string(r.top + 8)),
        "click in the folder list");
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  bool focused = WaitFor(
      [&] {
        return GetGUIThreadInfo(GetWindowThreadProcessId(form, nullptr), &info) &&
               info.hwndFocus == list;
      },
      5000);
  Check(focused, "the folder list has the focus");
  Log("LOG-MARK F1");
  Check(Request(paths, "key F1"), "F1");
}

void HelpScenario(const std::wstring& startFolder) {
  Program program(paths, L"", startFolder);
  HWND form = FindTop(program.Pid(), L"TMForm", 30000);
  Check(form != nullptr, "the window opens");
  if (!form) return;
  HWND list = Control(form, kDraw3D1Id, kDirectoriosId);
  HWND button1 = Control(form, kDraw3D1Id, kButton1Id);
  HWND close = Control(form, kDraw3D1Id, kBCloseId);
  Check(list && button1 && close, "the folder list, \"F1 AYUDA\" and \"&Salir\" are there");
  if (!list || !button1 || !close) return;
  CheckEq(Text(button1), std::string("F1 AYUDA"), "the help button's text");

  PressF1(form, list);
  ExpectHelpWindow(program, "F1 right after start");

  Log("LOG-MARK BUTTON");
  Click(button1);
  ExpectHelpWindow(program, "\"F1 AYUDA\"");

  PressF1(form, list);
  ExpectHelpWindow(program, "F1 after \"F1 AYUDA\"");

  Check(program.Running() && IsWindow(form), "the program goes on after its help requests");
  Click(close);
  CheckEq(program.WaitExit(15000), 0, "\"&Salir\" ends the program with exit code 0");
}

}  // namespace
}  // namespace tos::e2e

int wmain(int argc, wchar_t** argv) {
  using namespace tos::e2e;
  if (argc < 4) {
    std::fprintf(stderr, "uso: tos_help_e2e_driver PROGRAMA TRABAJO CARPETA_INICIAL\n");
    return 2;
  }
  paths = {argv[1], argv[2], L"", L""};
  try {
    HelpScenario(argv[3]);
  } catch (const std::exception& e) {
    Check(false, std::string("unexpected error: ") + e.what());
  }
  Log(Failures() ? std::to_string(Failures()) + " check(s) failed" : "all checks passed");
  return Failures() ? 1 : 0;
}
