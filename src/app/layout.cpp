#include "app/layout.h"

namespace tos {

namespace {
constexpr int kUpperBand = 106;
constexpr int kDraw3D2Width = 289;
}  // namespace

PanelLayout LayoutFor(Panels panels) {
  PanelLayout layout;
  layout.draw3D1 = {0, kUpperBand, kClientWidth, kClientHeight - kUpperBand};
  layout.showDraw3D2 = panels != Panels::kExportOnly;
  layout.showDraw3D3 = panels != Panels::kImportOnly;
  if (layout.showDraw3D2 && layout.showDraw3D3) {
    layout.draw3D2 = {0, 0, kDraw3D2Width, kUpperBand};
    layout.draw3D3 = {kDraw3D2Width, 0, kClientWidth - kDraw3D2Width, kUpperBand};
  } else if (layout.showDraw3D2) {
    // The hidden Draw3D3 filled the rest; Draw3D2 takes the band instead.
    layout.draw3D2 = {0, 0, kClientWidth, kUpperBand};
    layout.draw3D3 = {kClientWidth, 0, 0, kUpperBand};
  } else {
    layout.draw3D2 = {0, 0, kDraw3D2Width, kUpperBand};
    layout.draw3D3 = {0, 0, kClientWidth, kUpperBand};
  }
  return layout;
}

EnterAction EnterTarget(FocusKind focus, const PanelLayout& layout) {
  switch (focus) {
    case FocusKind::kButton:
      return EnterAction::kPressFocused;
    case FocusKind::kOpenDropDown:
      return EnterAction::kLeaveToControl;
    case FocusKind::kOther:
      break;
  }
  return layout.showDraw3D2 ? EnterAction::kPressBExportar : EnterAction::kPressBImportar;
}

}  // namespace tos
