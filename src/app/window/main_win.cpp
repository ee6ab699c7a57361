// The program's entry: help first, then the application window that names
// the program in the task bar, then MForm and its message loop.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "app/run_mode.h"
#include "app/shell.h"
#include "app/status_file.h"
#include "app/window/main_window_win.h"
#include "app/window/win_text.h"
#include "core/error_text.h"
#include "help/help_setup.h"

namespace tos::win {

namespace {

const wchar_t kApplicationClass[] = L"TosApplication";
HWND mainWindow = nullptr;

// The application window owns MForm, so that the task bar shows the
// application title; it hands activation and closing on to MForm.
LRESULT CALLBACK ApplicationProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && mainWindow && IsWindowEnabled(mainWindow) &&
          !(GetWindowLongPtrW(mainWindow, GWL_STYLE) & WS_CHILD)) {
        SetActiveWindow(mainWindow);
        return 0;
      }
      break;
    case WM_CLOSE:
      if (mainWindow) PostMessageW(mainWindow, WM_CLOSE, 0, 0);
      return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND CreateApplicationWindow(HINSTANCE instance) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = ApplicationProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  wc.lpszClassName = kApplicationClass;
  RegisterClassExW(&wc);
  // No size: it is there for its task-bar entry, never to be seen.
  int x = GetSystemMetrics(SM_CXSCREEN) / 2;
  int y = GetSystemMetrics(SM_CYSCREEN) / 2;
  HWND app = CreateWindowExW(0, kApplicationClass, Wide(kApplicationTitle).c_str(),
                             WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPSIBLINGS,
                             x, y, 0, 0, nullptr, nullptr, instance, nullptr);
  if (app) {
    // Size 0 keeps it out of sight; shown, it has its task-bar entry.
    SetWindowPos(app, nullptr, x, y, 0, 0,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOSIZE);
  }
  return app;
}

std::vector<std::string> Parameters() {
  std::vector<std::string> parameters;
  int count = 0;
  if (wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count)) {
    for (int i = 1; i < count; ++i) parameters.push_back(Narrow(arguments[i]));
    LocalFree(arguments);
  }
  return parameters;
}

std::string ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD got = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (got < path.size()) {
      path.resize(got);
      break;
    }
    path.resize(path.size() * 2);
  }
  size_t slash = path.find_last_of(L"\\/");
  return Narrow(slash == std::wstring::npos ? L"" : path.substr(0, slash + 1));
}

int Run(HINSTANCE instance) {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);

  const std::string programFolder = ProgramFolder();
  MainWindow* window = nullptr;
  HelpEnvironment environment;
  environment.programFolder = programFolder;
  environment.currentDrive = [&window] { return window ? window->CurrentDrive() : std::string(); };
  environment.ownerWindow = [&window]() -> uintptr_t {
    return window && window->Handle() ? reinterpret_cast<uintptr_t>(window->Handle()) : 0;
  };
  std::unique_ptr<HelpRequests> help = StartProgramHelp(environment);

  HWND application = CreateApplicationWindow(instance);
  Shell shell(DecideRunMode(Parameters()), StatusFilePath(programFolder), WriteStatusFile);
  MainWindow::RegisterClasses(instance);
  auto main = std::make_unique<MainWindow>(instance, shell);
  window = main.get();
  if (!main->Create(application)) return 1;
  main->SetHelp(help.get());
  mainWindow = main->Handle();
  main->Show();

  MSG msg;
  int result = 0;
  for (;;) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      result = static_cast<int>(msg.wParam);
      break;
    }
    if (got == -1) break;
    if (main->PreTranslate(msg)) continue;
    HWND dialog = main->Handle();
    if (dialog && IsDialogMessageW(dialog, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  mainWindow = nullptr;
  window = nullptr;
  main.reset();
  if (application) DestroyWindow(application);
  help.reset();
  return result;
}

}  // namespace

}  // namespace tos::win

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  return tos::win::Run(instance);
}
