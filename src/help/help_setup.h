// How the program starts and ends its help: the viewer is created and
// registered with the help manager at start, released at the end.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/help_requests.h"

namespace tos {

struct HelpEnvironment {
  // The program file's folder with its trailing separator ("C:\\TORVEL\\").
  std::string programFolder;
  // The drive of the folder the folder list shows ("C:"), asked at each press.
  std::function<std::string()> currentDrive;
  // The window that owns help windows (an HWND as an integer); 0 at start.
  std::function<uintptr_t()> ownerWindow;
};

// The program's help: the help manager with the HTML help viewer registered,
// help file "SICE.chm". Destroying it releases the viewer (the end of the
// program's help lifecycle).
std::unique_ptr<HelpRequests> StartProgramHelp(const HelpEnvironment& environment);

}  // namespace tos
