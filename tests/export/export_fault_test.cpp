// The export with every file operation it makes failed in turn: each failure
// ends it with a message, keeps the status and the window, leaves the
// previous SICE_HORARIO.TXT whole (or none, as before), never changes a table
// and holds none; and the next export writes exactly the file a clean one
// writes.
#include <filesystem>
#include <map>

#include "data/error.h"
#include "export/export_fixture.h"
#include "support/faulty_fs.h"

namespace tos::test {
namespace {

std::map<std::string, std::string> TableFiles(const std::string& otemp) {
  std::map<std::string, std::string> out;
  for (const auto& e : std::filesystem::directory_iterator(otemp)) {
    out[e.path().filename().string()] = ReadFile(e.path().string());
  }
  return out;
}

struct Kind {
  FsOp op;
  const char* name;
  int code;
  bool partial;
};

const Kind kKinds[] = {
    {FsOp::kOpen, "open", fs::kSharingViolation, false},
    {FsOp::kRead, "read", fs::kLockViolation, false},
    {FsOp::kWrite, "write", fs::kDiskFull, false},
    {FsOp::kWrite, "partial write", fs::kDiskFull, true},
    {FsOp::kClose, "close", fs::kDiskFull, false},
    {FsOp::kRename, "rename", fs::kAccessDenied, false},
    {FsOp::kRemove, "delete", fs::kAccessDenied, false},
};

// The positions of a kind of operation to fail: all of the first and last
// few, and a spread between (the output is written a line at a time).
std::vector<int> Positions(int count) {
  std::vector<int> out;
  for (int n = 1; n <= count; ++n) {
    if (n <= 6 || n > count - 2 || n % std::max(1, count / 8) == 0) out.push_back(n);
  }
  return out;
}

// Lessons enough for SOLUC to be read in more than one piece.
std::vector<Lesson> ManyLessons() {
  std::vector<Lesson> lessons;
  for (int i = 0; i < 2000; ++i) {
    lessons.push_back({std::to_string(1 + i % 5), std::to_string(1 + i % 6),
                       "P" + std::to_string(i % 90), "G1A", "MAT", "A01"});
  }
  return lessons;
}

TEST(ExportFault, EveryOperationFailedInTurn) {
  const std::string kPrevious = "0 un horario anterior\r\n9\r\n";
  for (bool previous : {true, false}) {
    SCOPED_TRACE(previous ? "over a previous file" : "no previous file");
    ExportFixture clean;
    clean.MakeValidInputs();
    clean.MakeSoluc(ManyLessons());
    clean.state.EstadoTransformacion = kStatusBefore;
    FaultyFileSystem counter;
    ASSERT_EQ(clean.RunOn(counter), "");
    EXPECT_EQ(clean.state.EstadoTransformacion, 1);
    const std::string reference = ReadFile(clean.Output());

    int failures = 0;
    for (const Kind& k : kKinds) {
      // Without a previous file only the output's own writing differs.
      if (!previous && (k.op == FsOp::kOpen || k.op == FsOp::kRead)) continue;
      int count = counter.Count(k.op);
      for (int nth : Positions(count)) {
        SCOPED_TRACE(std::string(k.name) + " " + std::to_string(nth) + " of " +
                     std::to_string(count));
        ExportFixture f;
        f.MakeValidInputs();
        f.MakeSoluc(ManyLessons());
        f.state.NumParametros = 2;
        f.state.EstadoTransformacion = kStatusBefore;
        if (previous) WriteFile(f.Output(), kPrevious);
        auto tables = TableFiles(f.otemp);
        FaultyFileSystem faulty;
        faulty.Add({k.op, nth, k.code, "", false, k.partial});
        std::string error = f.RunOn(faulty);
        EXPECT_EQ(faulty.OpenHandles(), 0) << "a file or table stays open";
        EXPECT_FALSE(f.window.hourglass);
        EXPECT_FALSE(Exists(f.Output() + ".tmp~")) << "a temporary file is left";
        EXPECT_TRUE(TableFiles(f.otemp) == tables) << "the export changed a table";
        if (error.empty()) {
          // A failure that did not matter: the export is then a clean one.
          EXPECT_EQ(ReadFile(f.Output()), reference);
          EXPECT_EQ(f.state.EstadoTransformacion, 1);
        } else {
          ++failures;
          EXPECT_EQ(f.state.EstadoTransformacion, kStatusBefore);
          EXPECT_EQ(f.window.closes, 0);
          EXPECT_TRUE(f.window.messages.empty());
          if (previous) {
            EXPECT_EQ(ReadFile(f.Output()), kPrevious) << "the previous file was not kept whole";
          } else {
            EXPECT_FALSE(Exists(f.Output())) << "a failed export left an output file";
          }
        }
        // The next export, on a sound disk, writes what a clean one writes.
        f.clock = FixedClock({kHeaderTime, kTrailerTime});
        f.window.messages.clear();
        f.Run();
        EXPECT_EQ(ReadFile(f.Output()), reference);
        EXPECT_EQ(f.state.EstadoTransformacion, 1);
        EXPECT_EQ(f.window.messages, std::vector<std::string>{"Proceso finalizado"});
      }
    }
    EXPECT_GT(failures, 10);
  }
}

// Only sice_asignat.txt's header matters to the export, and a school's file
// of subjects can be large: it is read as far as its header line, so an
// unreadable rest of it does not stop the export. Where the header is
// missing, the whole file is looked through and a failing read ends the
// export as before.
TEST(ExportFault, SubjectsFileReadOnlyAsFarAsItsHeader) {
  for (bool withHeader : {true, false}) {
    SCOPED_TRACE(withHeader ? "header first" : "no header line");
    ExportFixture f;
    f.MakeValidInputs();
    std::vector<std::string> lines;
    if (withHeader) lines.push_back(SiceHeader("SICE_ASIGNAT.TXT", "HC2026A1"));
    for (int i = 0; i < 20000; ++i) lines.push_back("1   M" + std::to_string(i) + " Materia");
    f.WriteAsignat(lines);
    FaultyFileSystem faulty;
    faulty.Add({FsOp::kRead, 2, fs::kLockViolation, "sice_asignat", true, false});
    std::string error = f.RunOn(faulty);
    EXPECT_EQ(faulty.OpenHandles(), 0);
    if (withHeader) {
      EXPECT_EQ(error, "");
      EXPECT_EQ(f.state.EstadoTransformacion, 1);
      ASSERT_FALSE(f.OutputLines().empty());
      EXPECT_EQ(f.OutputLines().front().substr(51, 8), "HC2026A1");
    } else {
      EXPECT_NE(error.find("sice_asignat.txt"), std::string::npos) << error;
      EXPECT_FALSE(Exists(f.Output()));
    }
  }
}

// Another program holds a table while the export runs, then lets it go: the
// export fails naming it, and works once it is released. The held file is
// never touched.
TEST(ExportFault, TableHeldThenReleased) {
  for (const char* name : {"SOLUC", "GRUPOST", "PROFT", "AULAT", "ASIGNOMT", "DIASHORAST"}) {
    for (bool exclusive : {false, true}) {
      SCOPED_TRACE(std::string(name) + (exclusive ? " exclusive" : " shared"));
      ExportFixture f;
      f.MakeValidInputs();
      std::string dbf = fs::Join(f.otemp, std::string(name) + ".DBF");
      std::string before = ReadFile(dbf);
      {
        Table holder;
        holder.SetFolder(f.otemp);
        holder.SetTableName(std::string(name) + ".DBF");
        holder.SetExclusive(exclusive);
        holder.SetReadOnly(true);
        holder.Open();
        try {
          f.Run();
          ADD_FAILURE() << "the export did not fail";
        } catch (const Error& e) {
          EXPECT_NE(std::string(e.what()).find(std::string(name) + ".DBF"), std::string::npos)
              << e.what();
        }
        EXPECT_FALSE(Exists(f.Output()));
      }
      EXPECT_EQ(ReadFile(dbf), before);
      f.Run();
      EXPECT_EQ(f.OutputLines().size(), 3u);
    }
  }
}

}  // namespace
}  // namespace tos::test
