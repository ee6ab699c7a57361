// The HTML Help engine on Windows: "HtmlHelpA" in "HHCtrl.ocx".
#include <windows.h>

#include "data/text.h"
#include "help/help_engine.h"

namespace tos {

namespace {

using HtmlHelpAFunction = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

// UTF-8 to the active code page; usedDefault tells whether a character had
// no equivalent there.
std::string ToAnsi(std::string_view utf8, bool* usedDefault) {
  std::u16string wide = text::Utf8ToUtf16(utf8);
  if (usedDefault != nullptr) *usedDefault = false;
  if (wide.empty()) return {};
  auto* w = reinterpret_cast<const wchar_t*>(wide.data());
  int wideLength = static_cast<int>(wide.size());
  BOOL defaulted = FALSE;
  // Best-fit mapping could turn a character into a different, existing one
  // and name another file; the replacement character is at least honest.
  int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w, wideLength, nullptr, 0, nullptr,
                                 usedDefault != nullptr ? &defaulted : nullptr);
  if (size <= 0) return {};
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w, wideLength, out.data(), size, nullptr,
                      usedDefault != nullptr ? &defaulted : nullptr);
  if (usedDefault != nullptr) *usedDefault = defaulted != FALSE;
  return out;
}

std::string ShortPathOf(std::string_view utf8Path) {
  std::u16string wide = text::Utf8ToUtf16(utf8Path);
  auto* w = reinterpret_cast<const wchar_t*>(wide.c_str());
  DWORD size = GetShortPathNameW(w, nullptr, 0);
  if (size == 0) return {};
  std::wstring shortPath(size, L'\0');
  DWORD written = GetShortPathNameW(w, shortPath.data(), size);
  if (written == 0 || written >= size) return {};
  shortPath.resize(written);
  return text::Utf16ToUtf8(
      std::u16string_view(reinterpret_cast<const char16_t*>(shortPath.data()), shortPath.size()));
}

class WinHtmlHelpEngine final : public HtmlHelpEngine {
 public:
  WinHtmlHelpEngine() {
    // From the system folder only: the program's folder and the working
    // folder, which the folder list moves about, must not be able to put
    // another "HHCtrl.ocx" in its place. Windows without that search flag
    // refuses it with ERROR_INVALID_PARAMETER; those search the system
    // folder before the working folder anyway.
    library_ = LoadLibraryExW(L"HHCtrl.ocx", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (library_ == nullptr && GetLastError() == ERROR_INVALID_PARAMETER) {
      library_ = LoadLibraryW(L"HHCtrl.ocx");
    }
    if (library_ != nullptr) {
      entry_ = reinterpret_cast<HtmlHelpAFunction>(
          reinterpret_cast<void*>(GetProcAddress(library_, "HtmlHelpA")));
    }
  }

  ~WinHtmlHelpEngine() override {
    // Once a help window may be open, its window procedure lives in the
    // library: unloading it under that window would crash the program at its
    // next message. Such a library stays until the process ends.
    if (library_ != nullptr && !called_) FreeLibrary(library_);
  }

  bool HasEntry() const override { return entry_ != nullptr; }

  uintptr_t HtmlHelp(uintptr_t owner, const char* file, uint32_t command, uintptr_t data) override {
    if (entry_ == nullptr) return 0;
    called_ = true;
    std::string ansiFile;
    if (file != nullptr) ansiFile = AnsiFile(file);
    std::string ansiKeyword;
    if (command == kHhDisplayIndex && data != 0) {
      ansiKeyword = ToAnsi(reinterpret_cast<const char*>(data), nullptr);
      data = reinterpret_cast<uintptr_t>(ansiKeyword.c_str());
    }
    HWND window =
        entry_(reinterpret_cast<HWND>(owner), file != nullptr ? ansiFile.c_str() : nullptr, command,
               static_cast<DWORD_PTR>(data));
    return reinterpret_cast<uintptr_t>(window);
  }

 private:
  // The file part of "file::/topic" is a path; the topic is a name inside
  // the help file.
  static std::string AnsiFile(std::string_view file) {
    size_t separator = file.find("::/");
    if (separator == std::string_view::npos) return AnsiFormOfPath(file);
    return AnsiFormOfPath(file.substr(0, separator)) + ToAnsi(file.substr(separator), nullptr);
  }

  HMODULE library_ = nullptr;
  HtmlHelpAFunction entry_ = nullptr;
  bool called_ = false;
};

}  // namespace

std::string AnsiFormOfPath(std::string_view utf8Path) {
  bool lossy = false;
  std::string ansi = ToAnsi(utf8Path, &lossy);
  if (!lossy) return ansi;
  std::string shortPath = ShortPathOf(utf8Path);
  if (!shortPath.empty()) {
    bool shortLossy = false;
    std::string ansiShort = ToAnsi(shortPath, &shortLossy);
    if (!shortLossy) return ansiShort;
  }
  return ansi;
}

std::unique_ptr<HtmlHelpEngine> LoadHtmlHelpEngine() {
  return std::make_unique<WinHtmlHelpEngine>();
}

}  // namespace tos
