#include "app/status_file.h"

#include <gtest/gtest.h>

#include "data/error.h"
#include "data/files.h"
#include "support/temp_dir.h"

namespace tos {
namespace {

TEST(StatusFilePathTest, BesideTheProgram) {
  const std::string folder = std::string("TORVEL") + fs::kSeparator;
  EXPECT_EQ(StatusFilePath(folder), folder + "Orvalent.ini");
  EXPECT_EQ(StatusFilePath(std::string("dir")),
            std::string("dir") + fs::kSeparator + "Orvalent.ini");
}

TEST(SetIniValueTest, OneEntrySetEverythingElseKept) {
  struct Case {
    const char* name;
    std::string before;
    std::string after;
  };
  const Case cases[] = {
      {"empty file", "", "[Transformadores]\r\nTransformado=1\r\n"},
      {"other section only", "[Orvalent]\r\nRuta=C:\\OTEMP\r\n",
       "[Orvalent]\r\nRuta=C:\\OTEMP\r\n[Transformadores]\r\nTransformado=1\r\n"},
      {"no final line end", "[Orvalent]\r\nRuta=x",
       "[Orvalent]\r\nRuta=x\r\n[Transformadores]\r\nTransformado=1\r\n"},
      {"value replaced, neighbours kept",
       "; comentario\r\n[transformadores]\r\nAntes=a\r\n transformado = "
       "-1\r\nDespues=b\r\n\r\n[Z]\r\nk=v",
       "; "
       "comentario\r\n[transformadores]\r\nAntes=a\r\nTransformado=1\r\nDespues=b\r\n\r\n[Z]\r\nk="
       "v"},
      {"key added at the end of its section, before blank lines",
       "[Transformadores]\nOtro=2\n\n[Z]\nk=v\n",
       "[Transformadores]\nOtro=2\nTransformado=1\n\n[Z]\nk=v\n"},
      {"same key in another section untouched", "[Z]\r\nTransformado=5\r\n",
       "[Z]\r\nTransformado=5\r\n[Transformadores]\r\nTransformado=1\r\n"},
      {"commented key is no key", "[Transformadores]\r\n;Transformado=5\r\n",
       "[Transformadores]\r\n;Transformado=5\r\nTransformado=1\r\n"},
      {"last line of the file replaced without adding a line end",
       "[Transformadores]\r\nTransformado=0", "[Transformadores]\r\nTransformado=1"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SetIniValue(c.before, "Transformadores", "Transformado", "1"), c.after) << c.name;
  }
}

TEST(WriteStatusFileTest, WritesAndReplaces) {
  test::TempDir dir;
  std::string path = StatusFilePath(dir.Path());
  WriteStatusFile(path, 0);
  EXPECT_EQ(test::ReadFile(path).find("[Transformadores]"), 0u);
  test::WriteFile(path, "[Orvalent]\r\nRuta=C:\\OTEMP\r\n[Transformadores]\r\nTransformado=0\r\n");
  WriteStatusFile(path, -1);
  EXPECT_EQ(test::ReadFile(path),
            "[Orvalent]\r\nRuta=C:\\OTEMP\r\n[Transformadores]\r\nTransformado=-1\r\n");
}

TEST(WriteStatusFileTest, UnwritableFileNamesTheFullPath) {
  test::TempDir dir;
  // A folder in the file's place cannot be written, whoever runs the test.
  std::string path = dir.MakeDir("Orvalent.ini");
  try {
    WriteStatusFile(path, 1);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
  }
}

}  // namespace
}  // namespace tos
