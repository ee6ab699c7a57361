// Where the window's panels and controls sit, their ids, and what Enter
// presses. The Win32 window takes every rectangle and id from here, and so
// does the end-to-end driver that finds them.
#pragma once

#include "app/run_mode.h"

namespace tos {

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const Rect&) const = default;
};

inline constexpr int kClientWidth = 599;
inline constexpr int kClientHeight = 311;
// Embedded, the window sits at this offset in the parent's client area.
inline constexpr int kEmbeddedLeft = 2;
inline constexpr int kEmbeddedTop = 2;

struct PanelLayout {
  bool showDraw3D2 = true;
  bool showDraw3D3 = true;
  Rect draw3D2;  // SICE to Orvalent
  Rect draw3D3;  // Orvalent to SICE
  Rect draw3D1;  // folder, drive and help controls
};

// Draw3D1 is aligned to the bottom, Draw3D2 to the left and Draw3D3 fills
// what is left of the upper band; a hidden panel leaves its space to the
// one that fills.
PanelLayout LayoutFor(Panels panels);

// Controls, relative to their panel.
namespace controls {
inline constexpr Rect kLabel3{24, 24, 265, 57};
inline constexpr Rect kBExportar{88, 72, 89, 25};
inline constexpr Rect kLabel4{8, 24, 305, 57};
inline constexpr Rect kBImportar{96, 64, 89, 25};
inline constexpr Rect kLabel1{368, 184, 147, 13};
inline constexpr Rect kLabel2{70, 20, 177, 13};
inline constexpr Rect kLabel5{9, 5, 280, 13};
inline constexpr Rect kLabel6{9, 19, 59, 13};
inline constexpr Rect kBClose{400, 144, 89, 25};
inline constexpr Rect kDirectorios{8, 34, 287, 144};
inline constexpr Rect kUnidades{8, 180, 137, 19};
inline constexpr Rect kButton1{220, 180, 75, 21};
}  // namespace controls

// The controls' ids: the panels' in the window, every other one's in its
// panel (Label3 and BExportar in Draw3D2, Label4 and BImportar in Draw3D3,
// the rest in Draw3D1).
enum ControlId {
  kDraw3D1Id = 11,
  kDraw3D2Id,
  kDraw3D3Id,
  kBExportarId = 101,
  kBImportarId,
  kBCloseId,
  kButton1Id,
  kLabel1Id = 201,
  kLabel2Id,
  kLabel3Id,
  kLabel4Id,
  kLabel5Id,
  kLabel6Id,
  kDirectoriosId = 301,
  kUnidadesId,
};

// What the focused control is, as far as Enter cares.
enum class FocusKind {
  kButton,        // Enter presses it
  kOpenDropDown,  // the drive list with its list open: Enter picks the entry
  kOther,         // the folder list, the closed drive list, the window
};

enum class EnterAction { kPressFocused, kLeaveToControl, kPressBExportar, kPressBImportar };

// Both conversion buttons are default buttons: off a button, Enter presses
// BExportar while its panel shows, else BImportar.
EnterAction EnterTarget(FocusKind focus, const PanelLayout& layout);

}  // namespace tos
