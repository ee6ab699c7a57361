#include "app/window/folder_list_win.h"

#include <algorithm>

#include "app/layout.h"
#include "app/window/win_text.h"

namespace tos::win {

namespace {

constexpr int kItemHeight = 16;
constexpr int kIndentStep = 10;
constexpr COLORREF kListColor = RGB(0xF0, 0xFB, 0xFF);

std::string CurrentDirectory() {
  DWORD size = GetCurrentDirectoryW(0, nullptr);
  std::wstring buffer(size, L'\0');
  DWORD got = GetCurrentDirectoryW(size, buffer.data());
  buffer.resize(got);
  return NormalizeFolder(Narrow(buffer));
}

// The visible subfolders of a folder, sorted as Explorer lists them.
std::vector<std::string> Subfolders(const std::string& folder) {
  std::vector<std::wstring> names;
  std::wstring pattern = Wide(folder);
  if (!pattern.empty() && pattern.back() != L'\\') pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                   FindExSearchLimitToDirectories, nullptr, 0);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
      if (found.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
      if (lstrcmpW(found.cFileName, L".") == 0 || lstrcmpW(found.cFileName, L"..") == 0) continue;
      names.emplace_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
    return lstrcmpiW(a.c_str(), b.c_str()) < 0;
  });
  std::vector<std::string> out;
  for (const std::wstring& n : names) out.push_back(Narrow(n));
  return out;
}

std::string LastError() {
  wchar_t* text = nullptr;
  DWORD code = GetLastError();
  FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message = text ? text : L"";
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                              message.back() == L' ' || message.back() == L'.')) {
    message.pop_back();
  }
  return Narrow(message);
}

void DrawFolderGlyph(HDC dc, int x, int y, bool open) {
  HBRUSH body = CreateSolidBrush(open ? RGB(0xFF, 0xE0, 0x80) : RGB(0xF0, 0xC0, 0x40));
  HPEN edge = CreatePen(PS_SOLID, 1, RGB(0x80, 0x60, 0x10));
  HGDIOBJ oldBrush = SelectObject(dc, body);
  HGDIOBJ oldPen = SelectObject(dc, edge);
  Rectangle(dc, x + 1, y + 3, x + 7, y + 6);    // tab
  Rectangle(dc, x + 1, y + 5, x + 15, y + 14);  // body
  if (open) {
    MoveToEx(dc, x + 3, y + 8, nullptr);
    LineTo(dc, x + 15, y + 8);
  }
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(body);
  DeleteObject(edge);
}

}  // namespace

void FolderControls::Create(HWND panel, HFONT font, HWND label, ErrorSink showError) {
  showError_ = std::move(showError);
  label_ = label;
  background_ = CreateSolidBrush(kListColor);
  auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(panel, GWLP_HINSTANCE));
  const Rect& l = controls::kDirectorios;
  list_ =
      CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                      WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY |
                          LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
                      l.left, l.top, l.width, l.height, panel,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kDirectoriosId)), instance, nullptr);
  const Rect& d = controls::kUnidades;
  drives_ = CreateWindowExW(
      0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
      d.left, d.top, d.width, 200, panel, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kUnidadesId)),
      instance, nullptr);
  SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SendMessageW(drives_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SetWindowContextHelpId(list_, 3);
  SetWindowContextHelpId(drives_, 3);
  current_ = CurrentDirectory();
  Fill();
  FillDrives();
  ShowInLabel();
}

FolderControls::~FolderControls() {
  if (background_) DeleteObject(background_);
}

void FolderControls::MoveTo(const std::string& folder) {
  std::string target = NormalizeFolder(folder);
  if (!SetCurrentDirectoryW(Wide(target).c_str())) {
    std::string why = LastError();
    if (showError_) showError_(why.empty() ? target : why);
    FillDrives();
    return;
  }
  current_ = CurrentDirectory();
  Fill();
  FillDrives();
  ShowInLabel();
}

void FolderControls::Fill() {
  entries_ = FolderEntries(current_, Subfolders(current_));
  SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list_, LB_RESETCONTENT, 0, 0);
  int currentIndex = 0;
  for (size_t i = 0; i < entries_.size(); ++i) {
    SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(entries_[i].name).c_str()));
    if (entries_[i].current) currentIndex = static_cast<int>(i);
  }
  SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(currentIndex), 0);
  SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list_, nullptr, TRUE);
}

void FolderControls::FillDrives() {
  SendMessageW(drives_, CB_RESETCONTENT, 0, 0);
  wchar_t all[512] = {};
  DWORD length = GetLogicalDriveStringsW(511, all);
  std::string drive = text::AsciiLower(DriveOf(current_));
  int select = -1;
  for (const wchar_t* root = all; length && *root; root += lstrlenW(root) + 1) {
    std::wstring name(root, 2);
    CharLowerW(name.data());
    std::wstring shown = name;
    if (GetDriveTypeW(root) == DRIVE_FIXED) {
      wchar_t volume[MAX_PATH + 1] = {};
      if (GetVolumeInformationW(root, volume, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr,
                                0) &&
          volume[0]) {
        shown += L" [" + std::wstring(volume) + L"]";
      }
    }
    auto index = SendMessageW(drives_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
    if (Narrow(name) == drive) select = static_cast<int>(index);
  }
  SendMessageW(drives_, CB_SETCURSEL, static_cast<WPARAM>(select), 0);
}

void FolderControls::ShowInLabel() {
  if (!label_) return;
  HDC dc = GetDC(label_);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label_, WM_GETFONT, 0, 0)));
  auto measure = [dc](std::string_view s) {
    std::wstring w = Wide(std::string(s));
    SIZE size = {};
    GetTextExtentPoint32W(dc, w.c_str(), static_cast<int>(w.size()), &size);
    return static_cast<int>(size.cx);
  };
  std::string shown = ShortenPath(current_, controls::kDirectorios.width, measure);
  int width = measure(shown);
  SelectObject(dc, old);
  ReleaseDC(label_, dc);
  // The label sizes itself to its text; the panel under it is repainted so
  // that the old text goes.
  RECT before;
  GetWindowRect(label_, &before);
  HWND panel = GetParent(label_);
  MapWindowPoints(HWND_DESKTOP, panel, reinterpret_cast<POINT*>(&before), 2);
  SetWindowTextW(label_, Wide(shown).c_str());
  SetWindowPos(label_, nullptr, 0, 0, std::max(width, 1), controls::kLabel2.height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(panel, &before, FALSE);
  InvalidateRect(label_, nullptr, TRUE);
}

bool FolderControls::OnCommand(WPARAM wParam, LPARAM lParam) {
  HWND from = reinterpret_cast<HWND>(lParam);
  if (from == list_ && HIWORD(wParam) == LBN_DBLCLK) {
    auto index = SendMessageW(list_, LB_GETCURSEL, 0, 0);
    if (index >= 0 && static_cast<size_t>(index) < entries_.size()) {
      MoveTo(entries_[static_cast<size_t>(index)].path);
    }
    return true;
  }
  if (from == drives_ && HIWORD(wParam) == CBN_SELCHANGE) {
    auto index = SendMessageW(drives_, CB_GETCURSEL, 0, 0);
    if (index < 0) return true;
    wchar_t text[MAX_PATH + 8] = {};
    SendMessageW(drives_, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    // The list shows "c:" as Windows once did; the folder gets "C:".
    std::wstring drive(text, 2);
    CharUpperW(drive.data());
    // "X:" alone names that drive's current folder.
    wchar_t full[MAX_PATH + 1] = {};
    DWORD got = GetFullPathNameW(drive.c_str(), MAX_PATH + 1, full, nullptr);
    MoveTo(got > 0 && got <= MAX_PATH ? Narrow(full) : Narrow(drive) + "\\");
    return true;
  }
  return false;
}

bool FolderControls::OnMeasureItem(MEASUREITEMSTRUCT* item) {
  if (item->CtlType != ODT_LISTBOX || item->CtlID != kDirectoriosId) return false;
  item->itemHeight = kItemHeight;
  return true;
}

bool FolderControls::OnDrawItem(const DRAWITEMSTRUCT* item) {
  if (item->hwndItem != list_) return false;
  HDC dc = item->hDC;
  RECT r = item->rcItem;
  bool selected = (item->itemState & ODS_SELECTED) != 0;
  HBRUSH fill = selected ? GetSysColorBrush(COLOR_HIGHLIGHT) : background_;
  FillRect(dc, &r, fill);
  if (item->itemID < entries_.size()) {
    const FolderEntry& entry = entries_[item->itemID];
    int x = r.left + 2 + entry.indent * kIndentStep;
    DrawFolderGlyph(dc, x, r.top, entry.open);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT textRect = {x + 19, r.top, r.right, r.bottom};
    std::wstring name = Wide(entry.name);
    DrawTextW(dc, name.c_str(), static_cast<int>(name.size()), &textRect,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
  if (item->itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
  return true;
}

HBRUSH FolderControls::Background(HDC dc) const {
  SetBkColor(dc, kListColor);
  return background_;
}

}  // namespace tos::win
