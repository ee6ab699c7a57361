#include "app/folder_path.h"

#include <gtest/gtest.h>

namespace tos {
namespace {

std::string Describe(const std::vector<FolderEntry>& entries) {
  std::string out;
  for (const FolderEntry& e : entries) {
    out += std::string(static_cast<size_t>(e.indent), ' ') + e.name + (e.open ? "+" : "") +
           (e.current ? "*" : "") + "=" + e.path + ";";
  }
  return out;
}

TEST(FolderEntriesTest, RootPathThenSubfolders) {
  EXPECT_EQ(Describe(FolderEntries("C:\\", {"OTEMP", "SICE"})),
            "C:\\+*=C:\\; OTEMP=C:\\OTEMP; SICE=C:\\SICE;");
  EXPECT_EQ(Describe(FolderEntries("C:\\SICE\\Datos", {"2024"})),
            "C:\\+=C:\\; SICE+=C:\\SICE;  Datos+*=C:\\SICE\\Datos;   2024=C:\\SICE\\Datos\\2024;");
  EXPECT_EQ(Describe(FolderEntries("z:\\tmp\\", {})), "z:\\+=z:\\; tmp+*=z:\\tmp;");
}

TEST(NormalizeFolderTest, TrailingSeparatorOnlyAtTheRoot) {
  EXPECT_EQ(NormalizeFolder("C:\\"), "C:\\");
  EXPECT_EQ(NormalizeFolder("C:"), "C:\\");
  EXPECT_EQ(NormalizeFolder("C:\\SICE\\"), "C:\\SICE");
  EXPECT_EQ(NormalizeFolder("C:\\SICE\\\\Datos"), "C:\\SICE\\Datos");
  EXPECT_EQ(NormalizeFolder("\\\\srv\\share\\x\\"), "\\\\srv\\share\\x");
  EXPECT_EQ(DriveOf("d:\\x"), "d:");
  EXPECT_EQ(DriveOf("\\\\srv\\share"), "");
}

TEST(ShortenPathTest, LeadingFoldersGiveWay) {
  // Every character is 7 pixels wide, as in a fixed-width font.
  auto measure = [](std::string_view s) { return static_cast<int>(s.size()) * 7; };
  struct Case {
    std::string path;
    int width;
    std::string shown;
  };
  const Case cases[] = {
      {"C:\\SICE\\Datos", 287, "C:\\SICE\\Datos"},
      {"C:\\uno\\dos\\tres\\cuatro", 20 * 7, "C:\\...\\tres\\cuatro"},
      {"C:\\uno\\dos\\tres\\cuatro", 13 * 7, "C:\\...\\cuatro"},
      {"C:\\uno\\dos\\tres\\cuatro", 10 * 7, "...\\cuatro"},
      {"C:\\uno\\dos\\tres\\cuatro", 7 * 7, "...cuat"},
      {"C:\\uno\\dos\\tres\\cuatro", 0, "..."},
      {"C:\\", 0, "C:\\"},
  };
  for (const Case& c : cases) EXPECT_EQ(ShortenPath(c.path, c.width, measure), c.shown) << c.width;
  for (const Case& c : cases)
    EXPECT_LE(measure(ShortenPath(c.path, c.width, measure)), std::max(c.width, measure("C:\\")));
}

TEST(ShortenPathTest, CutsWholeCharacters) {
  auto measure = [](std::string_view s) { return static_cast<int>(s.size()); };
  std::string shown = ShortenPath("C:\\a\\añoñoño", 8, measure);
  EXPECT_EQ(shown, "...año");  // "..." + "a" + two-byte "ñ" + "o" = 7 bytes
}

}  // namespace
}  // namespace tos
