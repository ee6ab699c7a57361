#include "e2e/driver_harness_win.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace tos::e2e {

namespace {
int failures = 0;
}

void Log(const std::string& line) {
  std::fprintf(stdout, "%s\n", line.c_str());
  std::fflush(stdout);
}

void Check(bool ok, const std::string& what) {
  Log(std::string(ok ? "ok   " : "FAIL ") + what);
  if (!ok) ++failures;
}

int Failures() {
  return failures;
}

std::string Utf8(const std::wstring& w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr,
                              nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

std::wstring Wide(const std::string& s) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
  return out;
}

void Pump(int ms) {
  DWORD end = GetTickCount() + static_cast<DWORD>(ms);
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    DWORD now = GetTickCount();
    if (static_cast<int>(end - now) <= 0) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(end - now, 20), QS_ALLINPUT);
  }
}

bool WaitFor(const std::function<bool()>& test, int timeoutMs) {
  DWORD end = GetTickCount() + static_cast<DWORD>(timeoutMs);
  for (;;) {
    if (test()) return true;
    if (static_cast<int>(end - GetTickCount()) <= 0) return false;
    Pump(50);
  }
}

Program::Program(const Paths& paths, const std::wstring& parameters, const std::wstring& folder) {
  std::wstring command = L"\"" + paths.program + L"\"";
  if (!parameters.empty()) command += L" " + parameters;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  if (!CreateProcessW(paths.program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &startup, &info_)) {
    Check(false, "start " + Utf8(command));
  }
}

Program::~Program() {
  if (info_.hProcess) {
    if (Running()) TerminateProcess(info_.hProcess, 99);
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
  }
}

bool Program::Running() const {
  return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

int Program::WaitExit(int timeoutMs) {
  if (!info_.hProcess) return -1;
  if (!WaitFor([this] { return !Running(); }, timeoutMs)) return -1;
  DWORD code = 0;
  GetExitCodeProcess(info_.hProcess, &code);
  return static_cast<int>(code);
}

namespace {
struct TopSearch {
  DWORD pid;
  const wchar_t* className;
  HWND found;
};

BOOL CALLBACK FindTopProc(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<TopSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != search->pid || !IsWindowVisible(hwnd)) return TRUE;
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  if (lstrcmpW(name, search->className) != 0) return TRUE;
  search->found = hwnd;
  return FALSE;
}
}  // namespace

HWND FindTop(DWORD pid, const wchar_t* className, int timeoutMs) {
  TopSearch search{pid, className, nullptr};
  WaitFor(
      [&] {
        search.found = nullptr;
        EnumWindows(FindTopProc, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      timeoutMs);
  return search.found;
}

std::string Text(HWND hwnd) {
  wchar_t buffer[1024] = {};
  GetWindowTextW(hwnd, buffer, 1024);
  return Utf8(buffer);
}

std::string ClassOf(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return Utf8(name);
}

RECT RectIn(HWND hwnd, HWND reference) {
  RECT r = {};
  GetWindowRect(hwnd, &r);
  MapWindowPoints(HWND_DESKTOP, reference, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

namespace {
BOOL CALLBACK CollectButtons(HWND child, LPARAM param) {
  auto* box = reinterpret_cast<Box*>(param);
  if (ClassOf(child) == "Button" && IsWindowVisible(child)) box->buttons.push_back(Text(child));
  if (ClassOf(child) == "Static" && (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
      IsWindowVisible(child)) {
    // Wine keeps the icon control in every box; only the error box fills it.
    DWORD_PTR icon = 0;
    if (SendMessageTimeoutW(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 2000, &icon) && icon) {
      box->icon = true;
    }
  }
  return TRUE;
}
}  // namespace

Box NextBox(DWORD pid, int timeoutMs) {
  Box box;
  box.hwnd = FindTop(pid, L"#32770", timeoutMs);
  if (!box.hwnd) return box;
  // The texts are set while the box is made; give it a moment to show.
  Pump(100);
  box.caption = Text(box.hwnd);
  box.text = Text(GetDlgItem(box.hwnd, 0xFFFF));
  EnumChildWindows(box.hwnd, CollectButtons, reinterpret_cast<LPARAM>(&box));
  return box;
}

void Dismiss(const Box& box) {
  if (!box.hwnd) return;
  PostMessageW(GetDlgItem(box.hwnd, IDOK), BM_CLICK, 0, 0);
  WaitFor([&] { return !IsWindow(box.hwnd) || !IsWindowVisible(box.hwnd); }, 5000);
  Pump(100);
}

std::vector<Box> BoxesUntil(DWORD pid, const std::string& last, int timeoutMs) {
  std::vector<Box> boxes;
  for (;;) {
    Box box = NextBox(pid, timeoutMs);
    if (!box.hwnd) break;
    boxes.push_back(box);
    Dismiss(box);
    if (box.text == last) break;
  }
  return boxes;
}

void Click(HWND button) {
  PostMessageW(button, BM_CLICK, 0, 0);
}

bool Request(const Paths& paths, const std::string& request) {
  std::wstring pending = Join(paths.work, L"request.tmp");
  std::wstring file = Join(paths.work, L"request.txt");
  std::wstring answer = Join(paths.work, L"answer.txt");
  DeleteFileW(answer.c_str());
  WriteAll(pending, request + "\n");
  MoveFileExW(pending.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING);
  bool done = WaitFor([&] { return FileExists(answer); }, 20000);
  Pump(100);
  std::string said = done ? ReadAll(answer) : "";
  DeleteFileW(answer.c_str());
  if (!done) Log("no answer to: " + request);
  return done && said.rfind("ok", 0) == 0;
}

COLORREF Picture::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return CLR_INVALID;
  size_t i = (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
  return RGB(rgb[i], rgb[i + 1], rgb[i + 2]);
}

bool ReadPpm(const std::wstring& path, Picture& picture) {
  std::string all = ReadAll(path);
  std::istringstream in(all);
  std::string magic;
  int maxValue = 0;
  in >> magic >> picture.width >> picture.height >> maxValue;
  if (magic != "P6" || maxValue != 255 || picture.width <= 0 || picture.height <= 0) return false;
  in.get();
  size_t offset = static_cast<size_t>(in.tellg());
  size_t size = static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height) * 3;
  if (all.size() < offset + size) return false;
  picture.rgb.assign(all.begin() + static_cast<std::ptrdiff_t>(offset),
                     all.begin() + static_cast<std::ptrdiff_t>(offset + size));
  return true;
}

std::string ReadAll(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string out;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
  CloseHandle(file);
  return out;
}

void WriteAll(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    Check(false, "write " + Utf8(path));
    return;
  }
  DWORD put = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
  CloseHandle(file);
}

bool FileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
  if (!folder.empty() && folder.back() == L'\\') return folder + name;
  return folder + L"\\" + name;
}

void CopyFolder(const std::wstring& from, const std::wstring& to) {
  CreateDirectoryW(to.c_str(), nullptr);
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(Join(from, L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    CopyFileW(Join(from, found.cFileName).c_str(), Join(to, found.cFileName).c_str(), FALSE);
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

int RunConsole(const std::wstring& commandLine, const std::wstring& errFile) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE err = CreateFileW(errFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                           0, nullptr);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdError = err;
  startup.hStdOutput = err;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION info = {};
  std::wstring command = commandLine;
  bool started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                nullptr, &startup, &info);
  if (err != INVALID_HANDLE_VALUE) CloseHandle(err);
  if (!started) return -1;
  WaitFor([&] { return WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0; }, 60000);
  DWORD code = 0;
  GetExitCodeProcess(info.hProcess, &code);
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
  return static_cast<int>(code);
}

}  // namespace tos::e2e
