// What the conversions need from the window, and nothing more: the window
// (Win32), the command-line converter (stderr) and the tests (a recorder)
// each implement it.
#pragma once

#include <string>

namespace tos {

class WindowServices {
 public:
  virtual ~WindowServices() = default;
  // The current folder of the folder list, as the list holds it (no
  // trailing separator, except at a drive or file-system root). UTF-8.
  virtual std::string ChosenFolder() = 0;
  // A modal message box with the application title and one "Aceptar"
  // button; returns when the user has closed it. UTF-8.
  virtual void ShowMessage(const std::string& text) = 0;
  // The hourglass for every window of the program, or the normal cursor.
  virtual void SetHourglass(bool on) = 0;
  // Closes the main window (which, embedded, writes the status file).
  virtual void CloseWindow() = 0;
};

}  // namespace tos
