#include "app/run_mode.h"

#include <gtest/gtest.h>

#include "app/layout.h"

namespace tos {
namespace {

TEST(ParseHexHandleTest, OneToEightDigitsOfEitherCase) {
  const std::pair<const char*, std::optional<uint32_t>> cases[] = {
      {"1a2b", 6699u},
      {"1A2B", 6699u},
      {"0", 0u},
      {"ffffffff", 0xFFFFFFFFu},
      {"0000000F", 15u},
      {"", std::nullopt},
      {"123456789", std::nullopt},  // nine digits
      {"-1", std::nullopt},
      {"+1", std::nullopt},
      {" 1a", std::nullopt},
      {"1a ", std::nullopt},
      {"0x1a", std::nullopt},
      {"$1a", std::nullopt},
      {"xyz", std::nullopt},
      {"1g", std::nullopt},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(ParseHexHandle(text), expected) << text;
}

TEST(DecideRunModeTest, OnlyExactlyTwoParametersEmbed) {
  for (const std::vector<std::string>& params :
       {std::vector<std::string>{}, {"importar"}, {"importar", "1a2b", "x"}}) {
    RunMode mode = DecideRunMode(params);
    EXPECT_FALSE(mode.embedded);
    EXPECT_EQ(mode.panels, Panels::kBoth);
    EXPECT_FALSE(mode.error);
  }
}

TEST(DecideRunModeTest, DirectionWordChoosesPanels) {
  const std::pair<const char*, Panels> cases[] = {
      {"IMPORTAR", Panels::kExportOnly},  {"importar", Panels::kExportOnly},
      {"Exportar", Panels::kImportOnly},  {"ambos", Panels::kBoth},
      {" importar", Panels::kBoth},  // no trimming
      {"importar ", Panels::kBoth},       {"", Panels::kBoth},
      {"\xC3\x8DMPORTAR", Panels::kBoth},  // only A-Z are lower-cased
  };
  for (const auto& [word, panels] : cases) {
    RunMode mode = DecideRunMode({word, "1a2b"});
    EXPECT_TRUE(mode.embedded) << word;
    EXPECT_EQ(mode.parentHandle, 6699u);
    EXPECT_EQ(mode.panels, panels) << word;
    EXPECT_FALSE(mode.error);
  }
}

TEST(DecideRunModeTest, BadHandleIsStandAloneWithTheError) {
  const std::pair<const char*, const char*> cases[] = {
      {"xyz", "'$xyz' no es un valor entero válido"},
      {"", "'$' no es un valor entero válido"},
      {"0x10", "'$0x10' no es un valor entero válido"},
      {"123456789", "'$123456789' no es un valor entero válido"},
  };
  for (const auto& [handle, error] : cases) {
    RunMode mode = DecideRunMode({"importar", handle});
    EXPECT_FALSE(mode.embedded);
    EXPECT_EQ(mode.panels, Panels::kBoth) << "a bad handle shows both panels";
    ASSERT_TRUE(mode.error);
    EXPECT_EQ(*mode.error, error);
  }
}

TEST(LayoutTest, PanelsPerDirection) {
  PanelLayout both = LayoutFor(Panels::kBoth);
  EXPECT_TRUE(both.showDraw3D2 && both.showDraw3D3);
  EXPECT_EQ(both.draw3D2, (Rect{0, 0, 289, 106}));
  EXPECT_EQ(both.draw3D3, (Rect{289, 0, 310, 106}));
  EXPECT_EQ(both.draw3D1, (Rect{0, 106, 599, 205}));

  PanelLayout exportOnly = LayoutFor(Panels::kExportOnly);  // "importar"
  EXPECT_FALSE(exportOnly.showDraw3D2);
  EXPECT_TRUE(exportOnly.showDraw3D3);
  EXPECT_EQ(exportOnly.draw3D3, (Rect{0, 0, 599, 106}));
  EXPECT_EQ(exportOnly.draw3D1, (Rect{0, 106, 599, 205}));

  PanelLayout importOnly = LayoutFor(Panels::kImportOnly);  // "exportar"
  EXPECT_TRUE(importOnly.showDraw3D2);
  EXPECT_FALSE(importOnly.showDraw3D3);
  EXPECT_EQ(importOnly.draw3D2, (Rect{0, 0, 599, 106}));
}

TEST(EnterTargetTest, DefaultButtonFollowsTheShownPanel) {
  PanelLayout both = LayoutFor(Panels::kBoth);
  PanelLayout exportOnly = LayoutFor(Panels::kExportOnly);
  PanelLayout importOnly = LayoutFor(Panels::kImportOnly);
  EXPECT_EQ(EnterTarget(FocusKind::kOther, both), EnterAction::kPressBExportar);
  EXPECT_EQ(EnterTarget(FocusKind::kOther, importOnly), EnterAction::kPressBExportar);
  EXPECT_EQ(EnterTarget(FocusKind::kOther, exportOnly), EnterAction::kPressBImportar);
  EXPECT_EQ(EnterTarget(FocusKind::kButton, exportOnly), EnterAction::kPressFocused);
  EXPECT_EQ(EnterTarget(FocusKind::kOpenDropDown, both), EnterAction::kLeaveToControl);
}

}  // namespace
}  // namespace tos
