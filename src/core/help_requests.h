// What the window asks of the help system: F1 and the "F1 AYUDA" button.
// The help system implements it; the window sees nothing else of it.
#pragma once

namespace tos {

class HelpRequests {
 public:
  virtual ~HelpRequests() = default;
  // F1: context help for the focused control's help context number.
  virtual void ContextHelp(int context) = 0;
  // "F1 AYUDA": the help file becomes "\TORVEL\SICE.chm" on the current
  // drive, then its table of contents is shown.
  virtual void HelpButton() = 0;
};

}  // namespace tos
