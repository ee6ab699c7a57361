// The conversion report: bounded cases with exact counts, the page's
// escaping and encoding, the summary, and writing the page under faults.
#include "report/report.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "data/files.h"
#include "report/run_end.h"
#include "support/faulty_fs.h"
#include "support/temp_dir.h"

namespace tos {
namespace {

using test::FaultyFileSystem;
using test::FsOp;

const LocalTime kNow{2026, 3, 7, 9, 5, 4};

Notice Case(int i) {
  return Notice{"sice_asignat.txt, línea " + std::to_string(i), "código M" + std::to_string(i), ""};
}

TEST(ReportTest, KeepsTheFirstCasesAndCountsEveryOne) {
  Report report(Direction::kSiceAOrvalent);
  for (int i = 1; i <= 1070; ++i) report.Add(NoticeKind::kCodigoRepetidoDescartado, Case(i));
  report.Count(NoticeKind::kSesionDiaCero, 5);
  report.Count(NoticeKind::kSesionDiaCero);
  report.Add(NoticeKind::kValorCortado, Notice{std::string(5000, 'x'), "v", ""});

  EXPECT_EQ(report.CountOf(NoticeKind::kCodigoRepetidoDescartado), 1070u);
  EXPECT_EQ(report.CountOf(NoticeKind::kSesionDiaCero), 6u);
  EXPECT_EQ(report.CountOf(NoticeKind::kTramoRepetido), 0u);
  EXPECT_EQ(report.Total(), 1077u);
  const auto& listed = report.Listed(NoticeKind::kCodigoRepetidoDescartado);
  ASSERT_EQ(listed.size(), Report::kListed);
  EXPECT_EQ(listed.front().where, "sice_asignat.txt, línea 1");
  EXPECT_EQ(listed.back().where, "sice_asignat.txt, línea 1000");
  EXPECT_TRUE(report.Listed(NoticeKind::kSesionDiaCero).empty());
  EXPECT_FALSE(report.Keeps(NoticeKind::kCodigoRepetidoDescartado));
  EXPECT_TRUE(report.Keeps(NoticeKind::kSesionDiaCero));
  // A huge value is cut, so a kept case stays small too.
  EXPECT_LE(report.Listed(NoticeKind::kValorCortado)[0].where.size(), Report::kTextLimit + 3);

  std::string page = RenderHtml(report, kNow);
  EXPECT_NE(page.find("Y 70 más, que no se muestran."), std::string::npos);
  EXPECT_NE(page.find("línea 1000<"), std::string::npos);
  EXPECT_EQ(page.find("línea 1001<"), std::string::npos);
  EXPECT_NE(page.find("6 casos, sin detalle"), std::string::npos);
  EXPECT_NE(page.find(">1077<"), std::string::npos);  // the total
  EXPECT_NE(page.find("07/03/2026 09:05:04"), std::string::npos);
}

TEST(ReportTest, PageEscapesTextAndReadsDataBytesAsWindows1252) {
  struct {
    std::string value;
    std::string shown;
  } cases[] = {
      {"a<b>&\"c'", "a&lt;b&gt;&amp;&quot;c&#39;"},
      {"ESPA\xD1"
       "A",
       "ESPAÑA"},                     // a Windows-1252 byte from a file
      {"código \xD1U", "código ÑU"},  // UTF-8 text around a data byte
      {"<script>", "&lt;script&gt;"},
      {"a\x01\x81z", "a\xEF\xBF\xBD\xEF\xBF\xBDz"},  // controls HTML does not allow
      {"\xC3", "Ã"},                                 // a UTF-8 lead byte alone
  };
  for (const auto& c : cases) {
    Report report(Direction::kOrvalentASice);
    report.Add(NoticeKind::kAulaDesconocida, Notice{"SOLUC, registro 1", c.value, ""});
    std::string page = RenderHtml(report, kNow);
    EXPECT_NE(page.find("<td>" + c.shown + "</td>"), std::string::npos) << c.shown;
  }
  Report report(Direction::kSiceAOrvalent);
  report.SetFolder("C:\\Datos & <SICE>\\");
  report.SetError("No se puede abrir \"X\" <1>");
  std::string page = RenderHtml(report, kNow);
  EXPECT_NE(page.find("C:\\Datos &amp; &lt;SICE&gt;\\"), std::string::npos);
  EXPECT_NE(page.find("No se puede abrir &quot;X&quot; &lt;1&gt;"), std::string::npos);
  EXPECT_NE(page.find("<meta charset=\"utf-8\">"), std::string::npos);
}

TEST(ReportTest, EmptyReportSaysSinAvisosAndHasNoSummary) {
  Report report(Direction::kSiceAOrvalent);
  report.AddOutput("ASIGNOMT", 120, "registro", "registros");
  std::string page = RenderHtml(report, kNow);
  EXPECT_NE(page.find("Sin avisos"), std::string::npos);
  EXPECT_NE(page.find("ASIGNOMT: 120 registros"), std::string::npos);
  EXPECT_EQ(page.find("<h2 id="), std::string::npos);
  EXPECT_EQ(SummaryLines(report), "");
}

TEST(ReportTest, SummaryHasOneLinePerKindWithItsCount) {
  Report report(Direction::kSiceAOrvalent);
  report.Add(NoticeKind::kCodigoRepetidoDescartado, Case(1));
  report.Count(NoticeKind::kSinHoras, 3);
  EXPECT_EQ(SummaryLines(report),
            "Avisos: 1 línea descartada por tener un código repetido\n"
            "Avisos: 3 asignaturas de grupos sin horas (se les da 1)\n");
  std::string page = RenderHtml(report, kNow);
  EXPECT_EQ(page.find("Sin avisos"), std::string::npos);
}

TEST(ReportTest, QuestionCountsTheNotices) {
  EXPECT_EQ(ReportQuestion(3), "Se han encontrado 3 avisos en los datos. ¿Quiere ver el informe?");
  EXPECT_EQ(ReportQuestion(1), "Se ha encontrado 1 aviso en los datos. ¿Quiere ver el informe?");
}

TEST(ReportTest, EveryKindHasItsTexts) {
  for (size_t i = 0; i < kNoticeKinds; ++i) {
    auto kind = static_cast<NoticeKind>(i);
    EXPECT_FALSE(KindTitle(kind).empty()) << i;
    EXPECT_FALSE(KindAction(kind).empty()) << i;
    EXPECT_FALSE(KindTodo(kind).empty()) << i;
  }
}

// What to do under each heading; the column of what was done only where a
// case's differs; counts in the singular; no "Sin avisos" after an error.
TEST(ReportTest, PageSaysWhatToDoAndAgrees) {
  struct Case {
    const char* name;
    std::function<void(Report&)> fill;
    std::vector<std::string> has, hasNot;
  };
  const Case cases[] = {
      {"what to do, no action column",
       [](Report& r) {
         r.Add(NoticeKind::kSinHoras, Notice{"a", "b", ""});
       },
       {"<b>Qué hacer:</b> " + std::string(KindTodo(NoticeKind::kSinHoras))},
       {"<th>Qué se ha hecho</th>"}},
      {"an action of its own",
       [](Report& r) {
         r.Add(NoticeKind::kFicheroAusente, Notice{"a", "b", ""});
         r.Add(NoticeKind::kFicheroAusente, Notice{"c", "d", "otra cosa"});
       },
       {"<th>Qué se ha hecho</th>", "<td>otra cosa</td>"},
       {}},
      {"singular and plural",
       [](Report& r) {
         r.AddOutput("PROFT", 1, "registro", "registros");
         r.AddOutput("ASIGT", 0, "registro", "registros");
       },
       {"PROFT: 1 registro<", "ASIGT: 0 registros"},
       {}},
      {"nothing written", [](Report&) {}, {"Tablas escritas</th><td>ninguna"}, {}},
      {"an error with no notices",
       [](Report& r) { r.SetError("Fallo"); },
       {"Ningún aviso en lo que se hizo hasta el error."},
       {"Sin avisos"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Report report(Direction::kSiceAOrvalent);
    c.fill(report);
    std::string page = RenderHtml(report, kNow);
    for (const std::string& text : c.has) EXPECT_NE(page.find(text), std::string::npos) << text;
    for (const std::string& text : c.hasNot) EXPECT_EQ(page.find(text), std::string::npos) << text;
  }
}

TEST(WriteReportTest, WritesThePage) {
  test::TempDir dir;
  Report report(Direction::kSiceAOrvalent);
  report.Add(NoticeKind::kCodigoVacio, Case(2));
  std::string path = dir.File(kInformeImportacion);
  test::WriteFile(path, "old");
  ASSERT_TRUE(WriteReport(report, path, kNow));
  EXPECT_EQ(test::ReadFile(path), RenderHtml(report, kNow));
  EXPECT_FALSE(test::Exists(path + ".tmp"));
}

// A failure anywhere leaves the old page whole and no temporary behind.
TEST(WriteReportTest, FailureKeepsTheOldPageAndLeavesNoTemporary) {
  struct {
    const char* what;
    test::Fault fault;
  } cases[] = {
      {"create", {FsOp::kOpen, 1, fs::kAccessDenied, "", false, false}},
      {"disk full halfway", {FsOp::kWrite, 1, fs::kDiskFull, "", true, true}},
      {"close", {FsOp::kClose, 1, fs::kDiskFull, "", false, false}},
      {"rename", {FsOp::kRename, 1, fs::kAccessDenied, "", false, false}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::TempDir dir;
    std::string path = dir.File(kInformeExportacion);
    test::WriteFile(path, "<p>old page</p>");
    Report report(Direction::kOrvalentASice);
    for (int i = 0; i < 60; ++i) report.Add(NoticeKind::kSesionSinTramo, Case(i));
    FaultyFileSystem faulty;
    faulty.Add(c.fault);
    {
      fs::ScopedFileSystem scope(faulty);
      EXPECT_FALSE(WriteReport(report, path, kNow));
    }
    EXPECT_EQ(faulty.Injected(), 1);
    EXPECT_EQ(faulty.OpenHandles(), 0);
    EXPECT_EQ(test::ReadFile(path), "<p>old page</p>");
    EXPECT_FALSE(test::Exists(path + ".tmp"));
  }
}

TEST(WriteReportTest, MissingFolderIsAFailureNotAnError) {
  test::TempDir dir;
  Report report(Direction::kSiceAOrvalent);
  EXPECT_FALSE(WriteReport(report, fs::Join(dir.File("no-such"), "x.html"), kNow));
}

}  // namespace
}  // namespace tos

namespace tos {
namespace {

// The end of a run, as both front ends have it: the folder as the user
// chose it, the page written, the converter's lines and the window's
// question with the page's path.
TEST(RunEndTest, PageLinesAndQuestion) {
  test::TempDir dir;
  std::string ruta = dir.Path() + fs::kSeparator;
  EXPECT_EQ(ShownFolder(ruta), dir.Path());
  EXPECT_EQ(ShownFolder(std::string(2, fs::kSeparator)), std::string(1, fs::kSeparator));

  Report report(Direction::kSiceAOrvalent);
  report.Count(NoticeKind::kSinHoras, 2);
  RunEnd end = EndRun(report, ruta, "", {}, kNow);
  const std::string page = ruta + kInformeImportacion;
  ASSERT_EQ(end.page, page);
  EXPECT_EQ(report.Folder(), dir.Path());
  EXPECT_TRUE(test::Exists(page));
  EXPECT_EQ(EndLines(report, end), SummaryLines(report) + "Informe: " + page + "\n");
  EXPECT_EQ(EndQuestion(report, end), ReportQuestion(2) + "\n" + page);

  RunEnd none = EndRun(report, ruta, "", {false, ""}, kNow);
  EXPECT_FALSE(none.page);
  EXPECT_EQ(EndLines(report, none), SummaryLines(report));
  EXPECT_FALSE(EndQuestion(report, none));

  std::string nowhere = fs::Join(dir.File("no"), "x.html");
  RunEnd failed = EndRun(report, ruta, "Fallo", {true, nowhere}, kNow);
  EXPECT_EQ(report.Error(), "Fallo");
  EXPECT_EQ(EndLines(report, failed),
            SummaryLines(report) + "No se ha podido escribir el informe " + nowhere + "\n");
}

}  // namespace
}  // namespace tos
