#include "app/window/main_window_win.h"

#include <commctrl.h>
#include <shellapi.h>

#include "app/glyphs.h"
#include "app/window/message_box_win.h"
#include "app/window/panel_win.h"
#include "app/window/win_text.h"
#include "core/error_text.h"
#include "core/version.h"
#include "data/clock.h"
#include "data/files.h"
#include "export/timetable_export.h"
#include "import/import_run.h"
#include "report/report.h"
#include "report/run_end.h"

namespace tos::win {

namespace {

const wchar_t kWindowClass[] = L"TMForm";
const wchar_t kCaption[] = L"Exportar e importar datos entre Orvalent y SICE";
const char kOtemp[] = "C:\\OTEMP";
constexpr int kHelpContext = 3;

// An overlapped (not pop-up) window, so that Windows places it where it
// places new windows (CW_USEDEFAULT is ignored for pop-ups); a fixed frame
// with a caption and a close box only.
constexpr DWORD kFramedStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kFramedExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

// The one window's object, for the parent-watching timer.
MainWindow* theWindow = nullptr;

HFONT MakeFont(const wchar_t* face, int height, bool bold) {
  return CreateFontW(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_SWISS, face);
}

HIMAGELIST MakeImageList(const Glyph& glyph) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = glyph.width;
  info.bmiHeader.biHeight = -glyph.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap || !bits) return nullptr;
  auto* out = static_cast<uint32_t*>(bits);
  for (size_t i = 0; i < glyph.pixels.size(); ++i) {
    // Premultiplied, as image lists blend them; our glyphs are opaque or clear.
    out[i] = (glyph.pixels[i] >> 24) ? glyph.pixels[i] : 0;
  }
  HIMAGELIST list = ImageList_Create(glyph.width, glyph.height, ILC_COLOR32, 1, 0);
  if (list) ImageList_Add(list, bitmap, nullptr);
  DeleteObject(bitmap);
  return list;
}

HWND MakeButton(HWND parent, const Rect& r, const wchar_t* text, int id, DWORD extra) {
  HWND button = CreateWindowExW(
      0, L"BUTTON", text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | extra, r.left, r.top, r.width,
      r.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
      reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
  SetWindowContextHelpId(button, kHelpContext);
  return button;
}

void SetGlyph(HWND button, HIMAGELIST list) {
  if (!list) return;
  BUTTON_IMAGELIST image = {};
  image.himl = list;
  image.margin = {4, 0, 0, 0};
  image.uAlign = BUTTON_IMAGELIST_ALIGN_LEFT;
  SendMessageW(button, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&image));
}

// Opens the report's page in the user's browser; false when that could not
// be done. TOS_INFORME_ABRIR, when set, names a program to run with the
// page's path instead (the end-to-end tests use it, so that no real browser
// starts).
bool OpenReport(HWND owner, const std::string& path) {
  wchar_t opener[MAX_PATH] = {};
  DWORD length = GetEnvironmentVariableW(L"TOS_INFORME_ABRIR", opener, MAX_PATH);
  if (length > 0 && length < MAX_PATH) {
    std::wstring command = L"\"" + std::wstring(opener) + L"\" \"" + Wide(path) + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
      return false;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return true;
  }
  // ShellExecute tells success by a value above 32.
  HINSTANCE done =
      ShellExecuteW(owner, L"open", Wide(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(done) > 32;
}

bool IsButton(HWND hwnd) {
  wchar_t name[16] = {};
  GetClassNameW(hwnd, name, 16);
  return lstrcmpiW(name, L"Button") == 0;
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, Shell& shell) : instance_(instance), shell_(shell) {
  theWindow = this;
}

MainWindow::~MainWindow() {
  if (watch_) KillTimer(nullptr, watch_);
  if (hwnd_) DestroyWindow(hwnd_);
  for (HFONT f : {font_, boldFont_, captionFont_}) {
    if (f) DeleteObject(f);
  }
  if (checkGlyph_) ImageList_Destroy(checkGlyph_);
  if (doorGlyph_) ImageList_Destroy(doorGlyph_);
  theWindow = nullptr;
}

void MainWindow::RegisterClasses(HINSTANCE instance) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  wc.lpszClassName = kWindowClass;
  RegisterClassExW(&wc);
  RegisterPanelClass(instance);
}

bool MainWindow::Create(HWND applicationWindow) {
  const RunMode& mode = shell_.Mode();
  layout_ = LayoutFor(mode.panels);
  RECT frame = {0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, kFramedStyle, FALSE, kFramedExStyle);
  hwnd_ = CreateWindowExW(kFramedExStyle, kWindowClass, kCaption, kFramedStyle, CW_USEDEFAULT,
                          CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                          applicationWindow, nullptr, instance_, this);
  if (!hwnd_) return false;
  SetWindowContextHelpId(hwnd_, kHelpContext);
  CreateControls();
  if (mode.error) ShowMessageBox(applicationWindow, DefaultErrorText(*mode.error), true);
  ApplyRunMode();
  return true;
}

void MainWindow::CreateControls() {
  font_ = MakeFont(L"MS Sans Serif", 11, false);
  boldFont_ = MakeFont(L"MS Sans Serif", 11, true);
  captionFont_ = MakeFont(L"Arial", 16, true);
  checkGlyph_ = MakeImageList(CheckMarkGlyph());
  doorGlyph_ = MakeImageList(DoorGlyph());
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
  const COLORREF red = RGB(0xFF, 0, 0);
  const COLORREF blue = RGB(0, 0, 0xFF);

  // Created in tab order: Draw3D2, Draw3D3, Draw3D1, and within each panel.
  draw3D2_ = CreatePanel(hwnd_, layout_.draw3D2, Draw3D2Look(), kDraw3D2Id);
  CreateLabel(draw3D2_, controls::kLabel3, L"Transformar datos desde SICE hacia Orvalent ",
              captionFont_, text, true, kLabel3Id);
  bExportar_ =
      MakeButton(draw3D2_, controls::kBExportar, L"Aceptar", kBExportarId, BS_DEFPUSHBUTTON);
  SetGlyph(bExportar_, checkGlyph_);

  draw3D3_ = CreatePanel(hwnd_, layout_.draw3D3, Draw3D2Look(), kDraw3D3Id);
  SetWindowContextHelpId(draw3D3_, 0);
  CreateLabel(draw3D3_, controls::kLabel4, L"Transformar datos desde Orvalent hacia SICE",
              captionFont_, text, true, kLabel4Id);
  bImportar_ =
      MakeButton(draw3D3_, controls::kBImportar, L"Aceptar", kBImportarId, BS_DEFPUSHBUTTON);
  SetGlyph(bImportar_, checkGlyph_);

  draw3D1_ = CreatePanel(hwnd_, layout_.draw3D1, Draw3D1Look(), kDraw3D1Id);
  CreateLabel(draw3D1_, controls::kLabel1, (L"TransOrvalentSICE V-" + Wide(TOS_VERSION)).c_str(),
              boldFont_, red, false, kLabel1Id);
  HWND label2 = CreateLabel(draw3D1_, controls::kLabel2, L"", boldFont_, red, false, kLabel2Id);
  CreateLabel(draw3D1_, controls::kLabel5,
              L"Carpeta en la que se encuentran los Ficheros TXT de SICE", font_, blue, false,
              kLabel5Id);
  CreateLabel(draw3D1_, controls::kLabel6, L"Ruta Actual:", font_, blue, false, kLabel6Id);
  bClose_ = MakeButton(draw3D1_, controls::kBClose, L"&Salir", kBCloseId, BS_PUSHBUTTON);
  SetGlyph(bClose_, doorGlyph_);
  folders_.Create(draw3D1_, font_, label2,
                  [this](const std::string& error) { ShowError(DefaultErrorText(error)); });
  button1_ = MakeButton(draw3D1_, controls::kButton1, L"F1 AYUDA", kButton1Id, BS_PUSHBUTTON);

  for (HWND button : {bExportar_, bImportar_, bClose_, button1_}) {
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  }
  ShowWindow(draw3D2_, layout_.showDraw3D2 ? SW_SHOW : SW_HIDE);
  ShowWindow(draw3D3_, layout_.showDraw3D3 ? SW_SHOW : SW_HIDE);
}

void MainWindow::ApplyRunMode() {
  const RunMode& mode = shell_.Mode();
  if (!mode.embedded) return;
  HWND parent = reinterpret_cast<HWND>(static_cast<uintptr_t>(mode.parentHandle));
  // A handle that names no window leaves the window framed and top-level;
  // it keeps the embedded behaviour, since the caller waits for the status.
  if (!IsWindow(parent)) return;
  LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
  style &=
      ~static_cast<LONG_PTR>(WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_BORDER | WS_DLGFRAME);
  style |= WS_CHILD | WS_CLIPSIBLINGS;
  SetWindowLongPtrW(hwnd_, GWL_STYLE, style);
  LONG_PTR exStyle = GetWindowLongPtrW(hwnd_, GWL_EXSTYLE);
  exStyle &= ~static_cast<LONG_PTR>(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_APPWINDOW);
  SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, exStyle);
  SetParent(hwnd_, parent);
  SetWindowPos(hwnd_, nullptr, kEmbeddedLeft, kEmbeddedTop, kClientWidth, kClientHeight,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  parent_ = parent;
  // The parent belongs to another program and may go away at any time; a
  // thread timer keeps watching, also inside message boxes.
  watch_ = SetTimer(nullptr, 0, 250, ParentWatch);
}

void MainWindow::Show() {
  ShowWindow(hwnd_, SW_SHOW);
  UpdateWindow(hwnd_);
  HWND first = layout_.showDraw3D2 ? bExportar_ : bImportar_;
  SetFocus(first);
}

std::string MainWindow::CurrentDrive() const {
  return DriveOf(folders_.Current());
}

HWND MainWindow::Owner() const {
  return gone_ ? nullptr : hwnd_;
}

bool MainWindow::PreTranslate(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || !hwnd_ || gone_) return false;
  if (msg.wParam != VK_RETURN && msg.wParam != VK_ESCAPE) return false;
  if (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)) return false;
  HWND focus = GetFocus();
  FocusKind kind = FocusKind::kOther;
  if (focus && IsButton(focus)) {
    kind = FocusKind::kButton;
  } else if (focus == folders_.Drives() && SendMessageW(focus, CB_GETDROPPEDSTATE, 0, 0)) {
    kind = FocusKind::kOpenDropDown;
  }
  if (msg.wParam == VK_ESCAPE) {
    // No button answers Esc; an open drive list still closes with it.
    return kind != FocusKind::kOpenDropDown;
  }
  switch (EnterTarget(kind, layout_)) {
    case EnterAction::kPressFocused:
      Press(GetDlgCtrlID(focus));
      return true;
    case EnterAction::kLeaveToControl:
      return false;
    case EnterAction::kPressBExportar:
      Press(kBExportarId);
      return true;
    case EnterAction::kPressBImportar:
      Press(kBImportarId);
      return true;
  }
  return false;
}

void MainWindow::Press(int id) {
  if (shell_.ConversionRunning() || gone_) return;
  switch (id) {
    case kBExportarId:
      RunImport();
      break;
    case kBImportarId:
      RunExport();
      break;
    case kBCloseId:
      TryClose();
      break;
    case kButton1Id:
      if (help_) {
        try {
          help_->HelpButton();
        } catch (const std::exception& e) {
          ShowError(DefaultErrorText(e.what()));
        }
      }
      break;
  }
}

void MainWindow::RunImport() {
  Report report(Direction::kSiceAOrvalent);
  std::optional<std::string> error = shell_.RunConversion(
      [this, &report] { BExportarClick(shell_.State(), *this, kOtemp, &report); });
  AfterConversion(error, &report);
}

void MainWindow::RunExport() {
  Report report(Direction::kOrvalentASice);
  std::optional<std::string> error = shell_.RunConversion(
      [this, &report] { BImportarClick(shell_.State(), *this, kOtemp, SystemClock(), &report); });
  AfterConversion(error, &report);
}

void MainWindow::AfterConversion(const std::optional<std::string>& error, Report* report) {
  // The page is written whatever happened, before the window may close.
  RunEnd end;
  if (report)
    end = EndRun(*report, shell_.State().RutaSice, error.value_or(""), {}, SystemClock().Now());
  if (error) {
    // The normal cursor comes back after an error too.
    SetHourglass(false);
    ShowError(*error);
  }
  // Stand-alone only: embedded, Orvalent's flow goes on untouched.
  std::optional<std::string> question = report ? EndQuestion(*report, end) : std::nullopt;
  if (question && !shell_.State().Embedded() && !gone_ && !shell_.ShouldEndAfterConversion()) {
    if (AskYesNo(Owner(), *question) && !OpenReport(Owner(), *end.page))
      ShowMessage(PageNotOpened(*end.page));
  }
  if (shell_.ShouldEndAfterConversion()) {
    PostQuitMessage(shell_.ExitCode());
    return;
  }
  if (closePending_ && !gone_) {
    closePending_ = false;
    TryClose();
  }
}

void MainWindow::TryClose() {
  if (gone_ || closing_) return;
  if (std::optional<std::string> error = shell_.Close()) {
    ShowError(*error);
    return;
  }
  closing_ = true;
  if (watch_) {
    KillTimer(nullptr, watch_);
    watch_ = 0;
  }
  DestroyWindow(hwnd_);
}

void MainWindow::OnParentGone() {
  if (gone_ || closing_) return;
  gone_ = true;
  if (watch_) {
    KillTimer(nullptr, watch_);
    watch_ = 0;
  }
  // A box still up has nobody to answer it; the run goes on as it would.
  if (HWND box = CurrentMessageBox()) EndDialog(box, IDOK);
  if (shell_.ParentGone()) PostQuitMessage(shell_.ExitCode());
}

void CALLBACK MainWindow::ParentWatch(HWND, UINT, UINT_PTR, DWORD) {
  MainWindow* self = theWindow;
  if (!self || self->gone_ || self->closing_) return;
  if (!IsWindow(self->parent_) || !IsWindow(self->hwnd_) ||
      GetParent(self->hwnd_) != self->parent_) {
    self->OnParentGone();
  }
}

void MainWindow::ShowError(const std::string& text) {
  if (gone_) return;
  ShowMessageBox(Owner(), text, true);
}

std::string MainWindow::ChosenFolder() {
  return folders_.Current();
}

void MainWindow::ShowMessage(const std::string& text) {
  if (gone_) return;
  ShowMessageBox(Owner(), text, false);
}

void MainWindow::SetHourglass(bool on) {
  hourglass_ = on;
  SetCursor(LoadCursorW(nullptr, on ? IDC_WAIT : IDC_ARROW));
}

void MainWindow::CloseWindow() {
  if (gone_) return;
  // A conversion closes the window as its last step; the close runs once
  // the conversion has returned.
  if (shell_.ConversionRunning()) {
    closePending_ = true;
    return;
  }
  TryClose();
}

LRESULT CALLBACK MainWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* self = static_cast<MainWindow*>(create->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  return self->Handle(message, wParam, lParam);
}

LRESULT MainWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) >= kBExportarId &&
          LOWORD(wParam) <= kButton1Id) {
        Press(LOWORD(wParam));
        return 0;
      }
      if (folders_.OnCommand(wParam, lParam)) return 0;
      break;
    case WM_MEASUREITEM:
      if (folders_.OnMeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam))) return TRUE;
      break;
    case WM_DRAWITEM:
      if (folders_.OnDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
      break;
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLOREDIT:
      return reinterpret_cast<LRESULT>(folders_.Background(reinterpret_cast<HDC>(wParam)));
    case WM_ACTIVATE:
      // Like a dialog: the focused control is kept while another window is
      // active and given back on return (the first button at first).
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
      } else if (!HIWORD(wParam)) {
        HWND focus = lastFocus_ && IsWindow(lastFocus_) && IsWindowVisible(lastFocus_)
                         ? lastFocus_
                         : (layout_.showDraw3D2 ? bExportar_ : bImportar_);
        SetFocus(focus);
      }
      return 0;
    case WM_SETCURSOR:
      if (hourglass_) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_HELP:
      if (help_) {
        try {
          help_->ContextHelp(kHelpContext);
        } catch (const std::exception& e) {
          ShowError(DefaultErrorText(e.what()));
        }
      }
      return TRUE;
    case WM_CLOSE:
      if (shell_.ConversionRunning()) {
        closePending_ = true;
      } else {
        TryClose();
      }
      return 0;
    case WM_DESTROY:
      if (closing_) {
        PostQuitMessage(0);
      } else {
        // Nobody but the embedding window's end destroys us unasked.
        OnParentGone();
      }
      return 0;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace tos::win
