// The conversion report: after every run it tells the user what their data
// lost or could not place. The conversions record notices in a Report; the
// window and the converter write it as a page in the SICE folder and as a
// short summary.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "data/clock.h"
#include "data/sice_encoding.h"

namespace tos {

enum class Direction { kSiceAOrvalent, kOrvalentASice };

// A build with TOS_NOTICES off, made only to measure what the report
// costs, neither checks the data for notices nor keeps them.
#ifdef TOS_NO_NOTICES
inline constexpr bool kNotices = false;
#else
inline constexpr bool kNotices = true;
#endif

enum class NoticeKind {
  // The SICE files themselves (both directions for the first two)
  kCodificacion,            // a file read as UTF-8 or UTF-16, not as SICE writes it
  kCaracterSustituido,      // a character Windows-1252 lacks: its base letter or "?"
  kFicheroIncompleto,       // no trailer after the data lines, or a trailer's count that differs
  kVariasCabeceras,         // more than one header line: two exports joined
  kFicheroCambiado,         // a header that names another SICE file: renamed or swapped
  kExportacionesDistintas,  // the files' header codes or dates differ: mixed exports
  kTabulador,               // lines holding a TAB: saved from a spreadsheet
  // SICE to Orvalent (the import run)
  kCodigoRepetidoDescartado,  // a line dropped because its code was seen before (subjects,
                              // teachers)
  kCodigoRepetidoConservado,  // a repeated code kept twice (rooms, groups; for groups the
                              // assignments take the first)
  kValorCortado,              // a value cut to its field's width
  kCodigoVacio,               // a data line with an empty code
  kLineaCorta,                // a data line too short to hold its fields (they read as empty)
  kGrupoDesconocido,  // an assignment whose group is not in GRUPOST (TURNO, NIVEL, CURSO, GRUPO
                      // stay empty)
  kAsignaturaDesconocida,  // an assignment whose subject is not among the subjects
  kSinHoras,               // an assignment with no hours line (HORAS 1)
  kHorasElevadas,          // hours below 1, raised to 1
  kTramoFinNoPosterior,    // a time slot whose end is not after its start
  kTramoRepetido,          // two slots with the same day and start time
  kHoraSinCuatroCifras,    // a start time not written with four digits (slots follow text order)
  kDiaNoValido,            // a day character that is neither a day letter nor a digit 1-7
  kFicheroAusente,         // a missing file (the message the user saw)
  // Orvalent to SICE (the export)
  kSesionSinTramo,  // a lesson whose day and period have no slot in DIASHORAST (blank slot code)
  kValorDesborda,   // a value longer than its column: the rest of the line moves right
  kProfesorDesconocido,
  kGrupoNoEnTabla,
  kAsignaturaNoEnTabla,
  kAulaDesconocida,    // code not in PROFT/GRUPOST/ASIGNOMT/AULAT
  kSesionCodigoVacio,  // a lesson with an empty PROF, CODGRUPO, ASIG or AULA (a blank code in its
                       // line)
  kSesionDiaCero,      // records with day 0 (no line): counted only
  kTramoDuplicadoEnTabla,  // two slots with the same day and period in DIASHORAST (the first gives
                           // the code)
};

inline constexpr size_t kNoticeKinds = static_cast<size_t>(NoticeKind::kTramoDuplicadoEnTabla) + 1;

// One case. The texts are UTF-8; values read from SICE files and tables may
// keep their Windows-1252 bytes: the page takes every byte that does not
// begin a well-formed UTF-8 character as Windows-1252.
struct Notice {
  std::string
      where;  // "sice_asignat.txt, línea 12"; a lesson by its values and "SOLUC, registro 7"
  std::string values;  // the values involved, e.g. "código MAT; la línea 3 tiene los mismos datos"
  std::string
      action;  // what the program did, when it differs per case; "" to use the kind's own text
};

struct Output {
  std::string name;  // "ASIGNOMT", "SICE_HORARIO.TXT"
  uint64_t count = 0;
  std::string one;     // the unit after a count of 1: "registro", "sesión"
  std::string many;    // after any other count: "registros", "sesiones"
  std::string detail;  // said after it in brackets ("8 líneas"), or ""
};

class Report {
 public:
  explicit Report(Direction direction);

  static constexpr size_t kListed = 1000;  // cases listed per kind; the count is always exact
  // Longest text kept of a case's where, values or action, in bytes.
  static constexpr size_t kTextLimit = 400;

  // Counts the case; keeps it only while fewer than kListed of its kind are
  // kept (texts longer than kTextLimit are cut), so memory stays bounded.
  void Add(NoticeKind kind, Notice notice);
  // The same with the case's texts made by make() only when it is kept: a
  // case past those listed costs its count alone.
  template <typename Make>
  requires std::is_invocable_r_v<Notice, Make>
  void Add(NoticeKind kind, Make&& make) {
    if constexpr (!kNotices) return;
    if (Keeps(kind))
      Add(kind, make());
    else
      Count(kind);
  }
  // Whether Add would still keep a case of that kind (the lazy Add above
  // asks it before making a case's texts).
  bool Keeps(NoticeKind kind) const { return listed_[static_cast<size_t>(kind)].size() < kListed; }
  // Counts without a case (e.g. day-0 records).
  void Count(NoticeKind kind, uint64_t n = 1) {
    if constexpr (kNotices) counts_[static_cast<size_t>(kind)] += n;
  }
  void SetFolder(std::string folder);  // the SICE folder chosen
  void AddOutput(std::string name, uint64_t count, std::string one, std::string many,
                 std::string detail = "");
  void SetError(std::string text);  // the error that ended the run, as the user saw it

  uint64_t Total() const;  // all notices counted
  uint64_t CountOf(NoticeKind kind) const;
  const std::vector<Notice>& Listed(NoticeKind kind) const;
  Direction GetDirection() const { return direction_; }
  const std::string& Folder() const { return folder_; }
  const std::vector<Output>& Outputs() const { return outputs_; }
  const std::string& Error() const { return error_; }

 private:
  Direction direction_;
  std::array<uint64_t, kNoticeKinds> counts_{};
  std::array<std::vector<Notice>, kNoticeKinds> listed_;
  std::string folder_;
  std::vector<Output> outputs_;
  std::string error_;
};

// The notices of how a SICE file was read: its encoding when it is not
// Windows-1252, and each character replaced ("sice_prof.txt, línea 3":
// "«Ș» (U+0218) se lee como «S»").
void TellDecoding(Report& report, std::string_view file, const FileDecoding& decoding);

// Spanish title of a kind, the text of what the program did in its cases,
// and what the user should do about them (and where: in SICE, in Orvalent,
// or nothing).
std::string_view KindTitle(NoticeKind kind);
std::string_view KindAction(NoticeKind kind);
std::string_view KindTodo(NoticeKind kind);

// "1 carácter", "3 caracteres".
std::string Counted(uint64_t n, std::string_view one, std::string_view many);

// The page: self-contained HTML in Spanish, UTF-8, printable. Every text is
// escaped; bytes of the data that are not UTF-8 are read as Windows-1252.
std::string RenderHtml(const Report& report, const LocalTime& now);

// Writes the page through a temporary file beside path renamed over it, so
// that an old page stays whole when writing fails. Never throws: false when
// the page could not be written (no temporary file is left then).
bool WriteReport(const Report& report, const std::string& path, const LocalTime& now);

// File names, written into the chosen SICE folder.
inline constexpr const char* kInformeImportacion = "informe_sice_a_orvalent.html";
inline constexpr const char* kInformeExportacion = "informe_orvalent_a_sice.html";
// The page's name for a direction.
const char* ReportFileName(Direction direction);

// The window's question after a stand-alone run with notices: "Se han
// encontrado N avisos en los datos. ¿Quiere ver el informe?"
std::string ReportQuestion(uint64_t notices);

// The converter's summary for stderr: one line per kind with notices, e.g.
// "Avisos: 3 líneas descartadas por tener un código repetido", each ending
// in "\n"; "" when there are none.
std::string SummaryLines(const Report& report);

}  // namespace tos
