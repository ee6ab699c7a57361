// MForm: the program's one window, bound to its HWND. It creates the
// controls, routes presses, keys and help to the conversions and the help
// system, and implements what the conversions need from a window.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <memory>
#include <optional>
#include <string>

#include "app/layout.h"
#include "app/shell.h"
#include "app/window/folder_list_win.h"
#include "core/help_requests.h"
#include "core/window_services.h"

namespace tos {
class Report;
}

namespace tos::win {

class MainWindow final : public WindowServices {
 public:
  MainWindow(HINSTANCE instance, Shell& shell);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  static void RegisterClasses(HINSTANCE instance);

  // Creates the window and its controls (hidden), owned by the
  // application window, then applies the run mode.
  bool Create(HWND applicationWindow);
  void SetHelp(HelpRequests* help) { help_ = help; }
  void Show();
  HWND Handle() const { return hwnd_; }
  // The drive of the folder list's folder ("C:").
  std::string CurrentDrive() const;

  // Enter and Esc, before the dialog navigation sees them; true when the
  // key was handled here.
  bool PreTranslate(const MSG& msg);

  // The default error box (text already with its closing period).
  void ShowError(const std::string& text);

  // WindowServices, for the conversions.
  std::string ChosenFolder() override;
  void ShowMessage(const std::string& text) override;
  void SetHourglass(bool on) override;
  void CloseWindow() override;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static void CALLBACK ParentWatch(HWND, UINT, UINT_PTR, DWORD);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

  void CreateControls();
  void ApplyRunMode();
  void Press(int id);
  void RunImport();
  void RunExport();
  // The error box, the report's page and question, then what the run's end
  // asks for (closing, the program's end).
  void AfterConversion(const std::optional<std::string>& error, Report* report);
  void TryClose();
  void OnParentGone();
  HWND Owner() const;

  HINSTANCE instance_;
  Shell& shell_;
  HelpRequests* help_ = nullptr;
  HWND hwnd_ = nullptr;
  HWND parent_ = nullptr;  // the embedding window, when it existed
  HWND draw3D1_ = nullptr;
  HWND draw3D2_ = nullptr;
  HWND draw3D3_ = nullptr;
  HWND bExportar_ = nullptr;
  HWND bImportar_ = nullptr;
  HWND bClose_ = nullptr;
  HWND button1_ = nullptr;
  HWND lastFocus_ = nullptr;
  PanelLayout layout_;
  FolderControls folders_;
  HFONT font_ = nullptr;
  HFONT boldFont_ = nullptr;
  HFONT captionFont_ = nullptr;
  HIMAGELIST checkGlyph_ = nullptr;
  HIMAGELIST doorGlyph_ = nullptr;
  UINT_PTR watch_ = 0;
  bool hourglass_ = false;
  bool closing_ = false;
  bool closePending_ = false;
  bool gone_ = false;
};

}  // namespace tos::win
