// Linux error numbers as the program reports them: those with a Windows
// meaning speak as Windows does; every other one is "Error de E/S" with its
// own number, for SICE files and tables alike, never another code's words.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <cerrno>

#include "data/error.h"
#include "data/files.h"
#include "data/sice_text.h"
#include "data/table.h"
#include "support/faulty_fs.h"
#include "support/temp_dir.h"

namespace tos {
namespace {

struct ErrnoCase {
  int number;
  std::string text;
};

TEST(ErrorCodes, EachErrnoSpeaksForItself) {
  const ErrnoCase cases[] = {
      {ENOENT, "No se encuentra el archivo"},
      {ENOTDIR, "Nombre de archivo inválido"},
      {EMFILE, "Demasiados archivos abiertos"},
      {EACCES, "Acceso al archivo denegado"},
      {EROFS, "Acceso al archivo denegado"},
      {ENOSPC, "Disco lleno"},
      {EAGAIN, "Error de E/S 32"},  // Windows' sharing violation
      // Numbers that are other codes' on Windows.
      {EIO, "Error de E/S 5"},
      {ESRCH, "Error de E/S 3"},
      {EINTR, "Error de E/S 4"},
      {EPIPE, "Error de E/S 32"},
      {EDOM, "Error de E/S 33"},
      {ENETDOWN, "Error de E/S 100"},
      {ENETUNREACH, "Error de E/S 101"},
      {EISCONN, "Error de E/S 106"},
      {EXDEV, "Error de E/S 18"},
  };
  for (const ErrnoCase& c : cases) {
    SCOPED_TRACE(c.number);
    EXPECT_EQ(IoErrorText(fs::ErrnoCode(c.number)), c.text);
  }
  EXPECT_NE(fs::ErrnoCode(EIO), fs::kAccessDenied);
  EXPECT_NE(fs::ErrnoCode(EPIPE), fs::kSharingViolation);
}

TEST(ErrorCodes, AnUnmappedErrnoReachesFilesAndTablesWithItsNumber) {
  test::TempDir dir;
  auto table = RecrearTabla(dir.Path(), "PRUEBA", {{"A", FieldKind::kText, 1}});
  table->Close();
  test::WriteFile(dir.File("datos.txt"), "linea\r\n");
  test::FaultyFileSystem faulty;
  fs::ScopedFileSystem scope(faulty);
  faulty.Fail(test::FsOp::kOpen, 1, fs::ErrnoCode(EIO));
  LectorLineas reader;
  try {
    reader.Open(dir.File("datos.txt"));
    FAIL() << "opened";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "Error de E/S 5");
  }
  faulty.Fail(test::FsOp::kOpen, 1, fs::ErrnoCode(EIO));
  try {
    table->Open();
    FAIL() << "opened";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "Error de E/S 5 al abrir la tabla " + dir.File("PRUEBA.DBF"));
  }
}

}  // namespace
}  // namespace tos
#endif
