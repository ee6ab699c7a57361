// The gradient panel (Draw3D1, Draw3D2, Draw3D3): paints the portable
// gradient and bevel from an off-screen image that is redrawn only when the
// panel's size or look changed, and lends it to its transparent labels.
#pragma once

#include <windows.h>

#include "app/gradient.h"
#include "app/layout.h"

namespace tos::win {

void RegisterPanelClass(HINSTANCE instance);

// A panel with a help context and a look; notifications of its children go
// on to the panel's parent.
HWND CreatePanel(HWND parent, const Rect& rect, const PanelLook& look, int id);

// A transparent label on a panel: a static control whose background is
// the panel's image under it.
HWND CreateLabel(HWND panel, const Rect& rect, const wchar_t* text, HFONT font, COLORREF color,
                 bool wrap, int id);

}  // namespace tos::win
