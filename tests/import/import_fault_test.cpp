// The import run under every failure the machine can give it: missing
// folders and files, input files that cannot be opened or fail halfway, a
// table that cannot be created, a full disk, a table held by another program,
// and a sweep that fails every file operation of a run in turn. For each: the
// message the user sees, the status, what is left on disk, and that the next
// run rebuilds the tables exactly as a clean run does.
#include <filesystem>
#include <functional>
#include <map>

#include "data/error.h"
#include "data/sice_text.h"
#include "import/fixture_lines.h"
#include "import/import_run.h"
#include "support/faulty_fs.h"

namespace tos::test {
namespace {

const char* const kTables[] = {"ASIGNOMT", "PROFT", "AULAT", "GRUPOST", "ASIGT", "DIASHORAST"};

struct SiceFile {
  const char* name;
  const char* missingMessage;
  const char* table;  // the table its import rebuilds
  bool streamed;      // read with LectorLineas (else whole, with CargarLineas)
};

const SiceFile kFiles[] = {
    {"sice_asignat.txt", "No existe archivo de asignaturas (SICE_ASIGNAT.TXT)", "ASIGNOMT", true},
    {"sice_prof.txt", "No existe archivo de profesores (SICE_PROF.TXT)", "PROFT", true},
    {"sice_aulas.txt", "No existe archivo de aulas (SICE_AULAS.TXT)", "AULAT", true},
    {"sice_grupo.txt", "No existe archivo de grupos (SICE_GRUPO.TXT)", "GRUPOST", true},
    {"sice_asignatgrupo.txt", "No existe archivo de grupos (SICE_ASIGNATGRUPO.TXT)", "ASIGT", true},
    {"sice_asignatcurso.txt", "No existe archivo de grupos (SICE_ASIGNATCURSO.TXT)", "ASIGT", false},
    {"sice_sesiones.txt", "No existe archivo de grupos (SICE_SESIONES.TXT)", "DIASHORAST", false},
};

struct Outcome {
  std::string error;  // empty when the run reached its end
  std::vector<std::string> messages;
  int32_t estado = 0;
  int closes = 0;
  bool hourglass = false;
};

class ImportFault : public ::testing::Test {
 protected:
  ImportFault() : sice(dir.MakeDir("sice")), otemp(dir.MakeDir("otemp")) {}

  void WriteGoodFolder(int rooms = 3) {
    Write("sice_asignat.txt", {"0SICE_ASIGNAT.TXT", Subject("MAT", "MATEM", "Matematicas"),
                               Subject("LEN", "LENGUA", "Lengua"), "9000002"});
    Write("sice_prof.txt", {"0", Teacher("P001", "Garcia, Ana", "Ciencias"),
                            Teacher("P002", "Perez, Luis", "Letras"), "9"});
    std::vector<std::string> aulas = {"0"};
    for (int i = 0; i < rooms; ++i) aulas.push_back(Room("A" + std::to_string(i % 1000), "Aula"));
    aulas.push_back("9");
    Write("sice_aulas.txt", aulas);
    Write("sice_grupo.txt", {"0", Group("1ESO A", "G1A", "ESO", "1", "MAN"),
                             Group("1ESO B", "G1B", "", "1", "TAR"), "9"});
    Write("sice_asignatgrupo.txt", {"0", Assignment("G1A", "MAT"), Assignment("G1B", "LEN"), "9"});
    Write("sice_asignatcurso.txt",
          {"0", Hours("ESO", "1", "MAT", "2,5"), Hours("NIV", "1", "LEN", "4"), "9"});
    Write("sice_sesiones.txt", {"0", Slot("0001", "L", "0800", "0855"),
                                Slot("0002", "L", "0900", "0955"), Slot("0003", "M", "0800", "0855"),
                                "9"});
  }

  void Write(const std::string& name, const std::vector<std::string>& lines) {
    WriteFile(fs::Join(sice, name), CrLf(lines));
  }

  Outcome Run(fs::FileSystem* files = nullptr, bool embedded = true) {
    ProgramState state;
    state.NumParametros = embedded ? 2 : 0;
    RecordingWindow window(sice);
    Outcome o;
    {
      std::optional<fs::ScopedFileSystem> scope;
      if (files) scope.emplace(*files);
      try {
        BExportarClick(state, window, otemp);
      } catch (const Error& e) {
        o.error = e.what();
        EXPECT_FALSE(o.error.empty());
      }
    }
    o.messages = window.messages;
    o.estado = state.EstadoTransformacion;
    o.closes = window.closes;
    o.hourglass = window.hourglass;
    return o;
  }

  // Each table's file, with the date of its last update blanked.
  std::map<std::string, std::string> Tables() {
    std::map<std::string, std::string> out;
    for (const char* name : kTables) {
      std::string path = fs::Join(otemp, std::string(name) + ".DBF");
      if (!Exists(path)) continue;
      std::string bytes = ReadFile(path);
      if (bytes.size() >= 4) bytes.replace(1, 3, "DDD");
      out[name] = bytes;
    }
    return out;
  }

  // Every table file in the working folder opens and walks: none is left
  // half-written.
  void ExpectTablesWhole() {
    for (const char* name : kTables) {
      if (!Exists(fs::Join(otemp, std::string(name) + ".DBF"))) continue;
      EXPECT_NO_THROW(ReadRows(otemp, name)) << name << " is damaged";
    }
  }

  // A clean run over the same folder gives the tables of a clean run.
  void ExpectNextRunRebuilds(const std::map<std::string, std::string>& reference) {
    Outcome o = Run();
    EXPECT_EQ(o.error, "");
    EXPECT_EQ(o.messages, std::vector<std::string>{"Proceso finalizado"});
    EXPECT_EQ(o.estado, 1);
    EXPECT_TRUE(Tables() == reference) << "the next run rebuilt other tables";
  }

  // The expected failure: the message, the status the run leaves, and the
  // window left open without the hourglass.
  void ExpectFailed(const Outcome& o, const std::string& message) {
    EXPECT_EQ(o.error, message);
    EXPECT_EQ(o.estado, -1);
    EXPECT_EQ(o.closes, 0);
    EXPECT_FALSE(o.hourglass);
    for (const std::string& m : o.messages) EXPECT_NE(m, "Proceso finalizado");
  }

  std::map<std::string, std::string> CleanReference() {
    Outcome o = Run();
    EXPECT_EQ(o.error, "");
    return Tables();
  }

  TempDir dir;
  std::string sice;
  std::string otemp;
};

TEST_F(ImportFault, MissingFolderTouchesNothingAndTheNextRunWorks) {
  WriteGoodFolder();
  auto reference = CleanReference();
  std::string real = sice;
  sice = fs::Join(dir.Path(), "gone");
  for (bool embedded : {false, true}) {
    Outcome o = Run(nullptr, embedded);
    EXPECT_EQ(o.error, "");
    EXPECT_EQ(o.messages, std::vector<std::string>{"No existe la carpeta"});
    EXPECT_EQ(o.estado, embedded ? -1 : 0);
    EXPECT_EQ(o.closes, embedded ? 1 : 0);
    EXPECT_FALSE(o.hourglass);
    EXPECT_TRUE(Tables() == reference);
  }
  sice = real;
  ExpectNextRunRebuilds(reference);
}

// Each input missing in turn, over the tables of an earlier run: its message,
// the status, its own table (and index) left exactly as they were.
TEST_F(ImportFault, EachMissingInputKeepsItsTableAndTheRunGoesOn) {
  WriteGoodFolder();
  auto reference = CleanReference();
  for (const SiceFile& f : kFiles) {
    SCOPED_TRACE(f.name);
    std::string path = fs::Join(sice, f.name);
    std::string saved = ReadFile(path);
    std::filesystem::remove(path);
    std::string mdx = fs::Join(otemp, std::string(f.table) + ".MDX");
    WriteFile(mdx, "index");
    bool hours = std::string(f.name) == "sice_asignatcurso.txt";
    std::string before = ReadFile(fs::Join(otemp, std::string(f.table) + ".DBF"));

    Outcome o = Run();
    EXPECT_EQ(o.error, "");
    EXPECT_EQ(o.messages, (std::vector<std::string>{f.missingMessage, "Proceso finalizado"}));
    EXPECT_EQ(o.estado, hours ? 1 : -1);
    EXPECT_EQ(o.closes, 1);
    if (hours) {
      // ASIGT is rebuilt without its hours: HORAS and SESIONES stay empty.
      Rows rows = ReadRows(otemp, "ASIGT");
      ASSERT_EQ(rows.size(), 2u);
      EXPECT_EQ(rows[0][8], "");
      EXPECT_EQ(rows[0][9], "");
    } else {
      EXPECT_EQ(ReadFile(fs::Join(otemp, std::string(f.table) + ".DBF")), before);
      EXPECT_EQ(ReadFile(mdx), "index");
    }
    WriteFile(path, saved);
    ExpectNextRunRebuilds(reference);
    EXPECT_FALSE(Exists(mdx)) << "a rebuilt table keeps no index";
  }
}

// Input files that cannot be opened, or fail after their first bytes.
TEST_F(ImportFault, InputThatCannotBeOpenedOrReadEndsTheRun) {
  WriteGoodFolder();
  auto reference = CleanReference();
  for (const SiceFile& f : kFiles) {
    for (bool halfway : {false, true}) {
      for (int code : {fs::kAccessDenied, fs::kSharingViolation}) {
        SCOPED_TRACE(std::string(f.name) + (halfway ? " read halfway " : " open ") +
                     std::to_string(code));
        auto before = Tables();
        FaultyFileSystem faulty;
        if (halfway) {
          faulty.SetReadChunk(16);
          faulty.Fail(FsOp::kRead, 2, code, f.name);
        } else {
          faulty.Fail(FsOp::kOpen, 1, code, f.name);
        }
        Outcome o = Run(&faulty);
        std::string path = sice + fs::kSeparator + f.name;
        ExpectFailed(o, f.streamed ? IoErrorText(code)
                                   : "Cannot open file \"" + path + "\". " + FaultText(code));
        EXPECT_EQ(faulty.OpenHandles(), 0) << "a file or table stays open";
        ExpectTablesWhole();
        auto after = Tables();
        // A file that cannot be opened leaves its table as it was; so does
        // the sessions file, read whole before its table is touched.
        bool kept = !halfway || std::string(f.name) == "sice_sesiones.txt";
        if (kept && std::string(f.name) != "sice_asignatcurso.txt") {
          EXPECT_EQ(after[f.table], before[f.table]);
        }
        ExpectNextRunRebuilds(reference);
      }
    }
  }
}

TEST_F(ImportFault, MissingWorkingFolderEndsTheRunAtTheFirstTable) {
  WriteGoodFolder();
  std::filesystem::remove_all(otemp);
  Outcome o = Run();
  EXPECT_NE(o.error.find(otemp), std::string::npos) << o.error;
  ExpectFailed(o, o.error);
  EXPECT_FALSE(Exists(otemp)) << "the working folder is never created";
  std::filesystem::create_directory(otemp);
  Outcome again = Run();
  EXPECT_EQ(again.messages, std::vector<std::string>{"Proceso finalizado"});
  EXPECT_EQ(Tables().size(), 6u);
}

// A table that cannot be created: the run ends there, naming it; the tables
// before it are rebuilt, the ones after it not touched.
TEST_F(ImportFault, TableThatCannotBeCreated) {
  WriteGoodFolder();
  auto reference = CleanReference();
  for (const char* table : kTables) {
    for (int code : {fs::kAccessDenied, fs::kDiskFull, fs::kTooManyOpenFiles}) {
      SCOPED_TRACE(std::string(table) + " " + std::to_string(code));
      std::filesystem::remove_all(otemp);
      std::filesystem::create_directory(otemp);
      FaultyFileSystem faulty;
      faulty.Fail(FsOp::kOpen, 1, code, std::string(table) + ".DBF");
      Outcome o = Run(&faulty);
      EXPECT_NE(o.error.find(std::string(table) + ".DBF"), std::string::npos) << o.error;
      ExpectFailed(o, o.error);
      EXPECT_EQ(faulty.OpenHandles(), 0);
      ExpectTablesWhole();
      auto after = Tables();
      bool reached = false;
      for (const char* t : kTables) {
        if (std::string(t) == table) {
          reached = true;
          continue;
        }
        EXPECT_EQ(after.count(t), reached ? 0u : 1u) << t;
      }
      ExpectNextRunRebuilds(reference);
    }
  }
}

// The disk fills up while records are appended: a clear message naming the
// table, a table file that still opens, and the next run rebuilds it.
TEST_F(ImportFault, DiskFullWhileAppending) {
  WriteGoodFolder(20000);  // AULAT is written in several batches
  auto reference = CleanReference();
  for (int nth : {1, 2, 3, 5}) {
    for (bool partial : {false, true}) {
      SCOPED_TRACE("write " + std::to_string(nth) + (partial ? " partial" : ""));
      FaultyFileSystem faulty;
      faulty.Add({FsOp::kWrite, nth, fs::kDiskFull, "AULAT.DBF", true, partial});
      Outcome o = Run(&faulty);
      EXPECT_NE(o.error.find("No queda espacio en el disco"), std::string::npos) << o.error;
      EXPECT_NE(o.error.find("AULAT.DBF"), std::string::npos) << o.error;
      ExpectFailed(o, o.error);
      EXPECT_EQ(faulty.OpenHandles(), 0);
      // The space is back: whatever is left of AULAT must read as a table,
      // holding at most the records of the file.
      if (Exists(fs::Join(otemp, "AULAT.DBF"))) {
        Rows rows;
        EXPECT_NO_THROW(rows = ReadRows(otemp, "AULAT")) << "AULAT left damaged";
        EXPECT_LE(rows.size(), 20000u);
      }
      ExpectNextRunRebuilds(reference);
    }
  }
}

// A table that another program holds open is neither deleted nor is its
// index; the run ends with a message naming it; once released, the next run
// rebuilds everything.
TEST_F(ImportFault, TableHeldByAnotherProgramIsLeftAlone) {
  WriteGoodFolder();
  auto reference = CleanReference();
  for (const char* table : kTables) {
    for (bool exclusive : {true, false}) {
      SCOPED_TRACE(std::string(table) + (exclusive ? " held exclusively" : " held shared"));
      std::string dbf = fs::Join(otemp, std::string(table) + ".DBF");
      std::string mdx = fs::Join(otemp, std::string(table) + ".MDX");
      WriteFile(mdx, "index of another program");
      std::string before = ReadFile(dbf);
      auto tablesBefore = Tables();
      Outcome o;
      {
        Table holder;
        holder.SetFolder(otemp);
        holder.SetTableName(std::string(table) + ".DBF");
        holder.SetExclusive(exclusive);
        holder.SetReadOnly(!exclusive);
        holder.Open();
        o = Run();
      }
      // Looked at once the holder is gone: on Windows nobody else may even
      // read a table held exclusively.
      EXPECT_NE(o.error.find(std::string(table) + ".DBF"), std::string::npos) << o.error;
      EXPECT_NE(o.error.find("en uso por otro programa"), std::string::npos) << o.error;
      ExpectFailed(o, o.error);
      EXPECT_EQ(ReadFile(dbf), before);
      EXPECT_EQ(ReadFile(mdx), "index of another program");
      // The imports after it did not run.
      auto after = Tables();
      bool reached = false;
      for (const char* t : kTables) {
        if (std::string(t) == table) reached = true;
        if (reached) {
          EXPECT_EQ(after[t], tablesBefore[t]) << t;
        }
      }
      ExpectNextRunRebuilds(reference);
      EXPECT_FALSE(Exists(mdx));
    }
  }
}

// The delete of an old table or of its index refused: the deletion is passed
// over and the run goes on; a table that cannot then be created ends it with
// the engine's message.
TEST_F(ImportFault, DeleteRefused) {
  WriteGoodFolder();
  auto reference = CleanReference();
  for (const char* ext : {".DBF", ".MDX", ".CPG"}) {
    SCOPED_TRACE(ext);
    WriteFile(fs::Join(otemp, "PROFT.MDX"), "old index");
    WriteFile(fs::Join(otemp, "PROFT.CPG"), "1252");
    FaultyFileSystem faulty;
    faulty.Fail(FsOp::kRemove, 1, fs::kAccessDenied, std::string("PROFT") + ext);
    Outcome o = Run(&faulty);
    EXPECT_EQ(o.error, "");
    EXPECT_EQ(o.messages, std::vector<std::string>{"Proceso finalizado"});
    EXPECT_TRUE(Tables() == reference);
  }
  std::string before = ReadFile(fs::Join(otemp, "PROFT.DBF"));
  FaultyFileSystem faulty;
  faulty.Fail(FsOp::kRemove, 1, fs::kAccessDenied, "PROFT.DBF");
  faulty.Fail(FsOp::kOpen, 2, fs::kAccessDenied, "PROFT.DBF");  // its creation
  Outcome o = Run(&faulty);
  ExpectFailed(o, "No hay permiso para escribir en la tabla " + fs::Join(otemp, "PROFT.DBF"));
  EXPECT_EQ(ReadFile(fs::Join(otemp, "PROFT.DBF")), before);
  ExpectNextRunRebuilds(reference);
}

// Every file operation of a run failed in turn (each kind, each position):
// the run ends with a message (or, where the failure is harmless, as a clean
// run), never with a half-written table or a file left open, and the next
// run rebuilds the tables exactly.
TEST_F(ImportFault, EveryOperationFailedInTurn) {
  WriteGoodFolder();
  auto reference = CleanReference();
  FaultyFileSystem counter;
  ASSERT_EQ(Run(&counter).error, "");
  const struct {
    FsOp op;
    const char* name;
    int code;
    bool partial;
  } kinds[] = {
      {FsOp::kOpen, "open", fs::kAccessDenied, false},
      {FsOp::kRead, "read", fs::kLockViolation, false},
      {FsOp::kWrite, "write", fs::kDiskFull, false},
      {FsOp::kWrite, "partial write", fs::kDiskFull, true},
      {FsOp::kClose, "close", fs::kDiskFull, false},
      {FsOp::kRename, "rename", fs::kAccessDenied, false},
      {FsOp::kRemove, "delete", fs::kSharingViolation, false},
  };
  int failures = 0;
  for (const auto& k : kinds) {
    int count = counter.Count(k.op);
    for (int nth = 1; nth <= count; ++nth) {
      SCOPED_TRACE(std::string(k.name) + " " + std::to_string(nth) + " of " +
                   std::to_string(count));
      FaultyFileSystem faulty;
      faulty.Add({k.op, nth, k.code, "", false, k.partial});
      Outcome o = Run(&faulty);
      EXPECT_EQ(faulty.OpenHandles(), 0) << "a file or table stays open";
      if (o.error.empty()) {
        // The failure did not matter: the run must then be a clean one.
        EXPECT_EQ(o.messages, std::vector<std::string>{"Proceso finalizado"});
        EXPECT_EQ(o.estado, 1);
        EXPECT_TRUE(Tables() == reference) << "a swallowed failure changed the tables";
      } else {
        ++failures;
        ExpectFailed(o, o.error);
        ExpectTablesWhole();
      }
      ExpectNextRunRebuilds(reference);
    }
  }
  EXPECT_GT(failures, 20);
}

}  // namespace
}  // namespace tos::test
