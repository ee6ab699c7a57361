// Directorios, Unidades and Label2: the folder list from the drive root
// down to the current folder and its subfolders, the drive list, and the
// label that shows the current folder. Moving in the list moves the
// process's working folder.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/folder_path.h"

namespace tos::win {

class FolderControls {
 public:
  using ErrorSink = std::function<void(const std::string&)>;

  // Creates the two lists on the panel (in tab order: folder list, then
  // drive list) at the program's working folder; label is Label2.
  void Create(HWND panel, HFONT font, HWND label, ErrorSink showError);
  ~FolderControls();

  // The current folder as the list holds it; still there once the window
  // is gone.
  const std::string& Current() const { return current_; }
  HWND List() const { return list_; }
  HWND Drives() const { return drives_; }

  // Notifications from the panel; true when they were ours.
  bool OnCommand(WPARAM wParam, LPARAM lParam);
  bool OnMeasureItem(MEASUREITEMSTRUCT* item);
  bool OnDrawItem(const DRAWITEMSTRUCT* item);
  // The lists' background (both lists and the drive list's drop-down).
  HBRUSH Background(HDC dc) const;

 private:
  // Makes folder current (the process's too); errors go to the sink and
  // leave the list where it was.
  void MoveTo(const std::string& folder);
  void Fill();
  void FillDrives();
  void ShowInLabel();

  HWND list_ = nullptr;
  HWND drives_ = nullptr;
  HWND label_ = nullptr;
  HBRUSH background_ = nullptr;
  ErrorSink showError_;
  std::string current_;
  std::vector<FolderEntry> entries_;
};

}  // namespace tos::win
