// The end-to-end driver's tools: start the program, find its windows by
// class and caption, read controls and message boxes, press buttons, and
// ask the shell around us for real keys, clicks and screenshots.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace tos::e2e {

// Checks that do not stop the scenario; the exit code counts them.
void Check(bool ok, const std::string& what);
template <typename A, typename B>
void CheckEq(const A& actual, const B& expected, const std::string& what);
int Failures();
void Log(const std::string& line);

std::string Utf8(const std::wstring& w);
std::wstring Wide(const std::string& s);

struct Paths {
  std::wstring program;  // the copy of TransOrvalentSICE.exe this scenario runs
  std::wstring work;     // the scenario's own folder; the shell watches it
  std::wstring samples;  // samples\sice
  std::wstring cli;      // transorvalentsice-cli.exe
};

// Pumps this thread's messages for ms milliseconds (the driver's own parent
// window must answer while we wait).
void Pump(int ms);
// Polls until the test holds or timeoutMs passes, pumping meanwhile.
bool WaitFor(const std::function<bool()>& test, int timeoutMs);

class Program {
 public:
  // Starts the program with the parameters, in the folder given.
  Program(const Paths& paths, const std::wstring& parameters, const std::wstring& folder);
  ~Program();
  DWORD Pid() const { return info_.dwProcessId; }
  bool Running() const;
  // Waits for the end; the exit code, or -1 on a time-out.
  int WaitExit(int timeoutMs);

 private:
  PROCESS_INFORMATION info_ = {};
};

// A visible top-level window of the process, of that class.
HWND FindTop(DWORD pid, const wchar_t* className, int timeoutMs);
std::string Text(HWND hwnd);
std::string ClassOf(HWND hwnd);
// A window's rectangle relative to another one's client area.
RECT RectIn(HWND hwnd, HWND reference);

struct Box {
  HWND hwnd = nullptr;
  std::string caption;
  std::string text;
  std::vector<std::string> buttons;
  bool icon = false;
};
// The next message box of the process, read but not dismissed.
Box NextBox(DWORD pid, int timeoutMs);
void Dismiss(const Box& box);
// Boxes one after another (each dismissed) until one reads last or no
// more come.
std::vector<Box> BoxesUntil(DWORD pid, const std::string& last, int timeoutMs);

void Click(HWND button);

// Requests the shell carries out: "shot FILE", "key KEYS", "click X Y".
bool Request(const Paths& paths, const std::string& request);

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgb;
  COLORREF At(int x, int y) const;
};
bool ReadPpm(const std::wstring& path, Picture& picture);

// Files.
std::string ReadAll(const std::wstring& path);
void WriteAll(const std::wstring& path, const std::string& bytes);
bool FileExists(const std::wstring& path);
void CopyFolder(const std::wstring& from, const std::wstring& to);
std::wstring Join(const std::wstring& folder, const std::wstring& name);
// Runs a console program to its end, stderr into a file; the exit code.
int RunConsole(const std::wstring& commandLine, const std::wstring& errFile);

inline std::string ToText(const std::string& s) {
  return "\"" + s + "\"";
}
inline std::string ToText(const char* s) {
  return ToText(std::string(s));
}
inline std::string ToText(long long v) {
  return std::to_string(v);
}
inline std::string ToText(int v) {
  return std::to_string(v);
}
inline std::string ToText(long v) {
  return std::to_string(v);
}
inline std::string ToText(unsigned long v) {
  return std::to_string(v);
}
inline std::string ToText(bool v) {
  return v ? "true" : "false";
}
inline std::string ToText(const void* p) {
  return std::to_string(reinterpret_cast<uintptr_t>(p));
}
inline std::string ToText(const std::vector<std::string>& v) {
  std::string out = "[";
  for (const std::string& s : v) out += ToText(s) + " ";
  return out + "]";
}

template <typename A, typename B>
void CheckEq(const A& actual, const B& expected, const std::string& what) {
  bool ok = actual == expected;
  if (!ok) {
    Log("  expected: " + ToText(expected));
    Log("  actual:   " + ToText(actual));
  }
  Check(ok, what);
}

}  // namespace tos::e2e
