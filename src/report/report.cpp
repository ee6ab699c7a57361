#include "report/report.h"

#include <cstdio>
#include <utility>

#include "data/text.h"

namespace tos {

namespace {

struct KindText {
  const char* title;
  const char* action;
  const char* one;   // the summary's phrase after the count 1
  const char* many;  // after any other count
};

// In the order of NoticeKind.
constexpr KindText kKindTexts[kNoticeKinds] = {
    {"Fichero en otra codificación",
     "SICE escribe sus ficheros en Windows-1252; este se ha leído en la codificación que se "
     "indica y se ha pasado a Windows-1252 carácter a carácter, de modo que las columnas "
     "cuentan caracteres como SICE los escribió. Probablemente se abrió y se guardó con un "
     "editor (el Bloc de notas) o lo escribió PowerShell.",
     "fichero leído en otra codificación", "ficheros leídos en otra codificación"},
    {"Carácter que Windows-1252 no tiene",
     "Se escribe su letra base, o «?» si no la tiene; unos bytes que no forman ningún carácter "
     "se escriben como «?».",
     "carácter sustituido", "caracteres sustituidos"},
    {"Fichero incompleto",
     "Se lee lo que hay. Parece una copia que se detuvo a medias: falta la línea final (la que "
     "empieza por 9) después de los datos, o el número de líneas que dice no es el que tiene.",
     "fichero incompleto", "ficheros incompletos"},
    {"Fichero con más de una cabecera",
     "Se leen todas sus líneas de datos. Parecen dos exportaciones unidas en un fichero.",
     "fichero con más de una cabecera", "ficheros con más de una cabecera"},
    {"Fichero con la cabecera de otro fichero",
     "Se lee como el fichero que su nombre dice. Parece renombrado o cambiado por otro.",
     "fichero con la cabecera de otro fichero", "ficheros con la cabecera de otro fichero"},
    {"Ficheros de exportaciones distintas",
     "Se leen todos. Sus cabeceras tienen códigos distintos o fechas separadas por más de un "
     "día: la carpeta mezcla ficheros de dos exportaciones de SICE.",
     "carpeta con ficheros de exportaciones distintas",
     "carpetas con ficheros de exportaciones distintas"},
    {"Líneas con tabulador",
     "Se leen con el tabulador como un carácter más. SICE no escribe tabuladores: el fichero "
     "probablemente se guardó desde una hoja de cálculo.",
     "fichero con líneas con tabulador", "ficheros con líneas con tabulador"},
    {"Código repetido: se descarta la línea",
     "Se descarta la línea; vale la primera línea con ese código.",
     "línea descartada por tener un código repetido",
     "líneas descartadas por tener un código repetido"},
    {"Código repetido: se conservan las dos líneas",
     "Se escriben las dos líneas con el mismo código; las asignaturas de un grupo repetido "
     "toman los datos del primero.",
     "código repetido que se conserva dos veces", "códigos repetidos que se conservan dos veces"},
    {"Valor cortado al ancho de su campo",
     "Se guarda la parte que cabe en el campo; el resto se pierde.",
     "valor cortado al ancho de su campo", "valores cortados al ancho de su campo"},
    {"Línea con el código vacío", "Se lee la línea tal como está, con el código vacío.",
     "línea con el código vacío", "líneas con el código vacío"},
    {"Línea demasiado corta", "Los campos que no caben en la línea se leen vacíos.",
     "línea demasiado corta para sus campos", "líneas demasiado cortas para sus campos"},
    {"Asignatura de un grupo que no está en GRUPOST",
     "Se escribe la asignatura del grupo con TURNO, NIVEL, CURSO y GRUPO vacíos.",
     "asignatura de un grupo que no está en GRUPOST",
     "asignaturas de grupos que no están en GRUPOST"},
    {"Asignatura de un grupo que no está entre las asignaturas",
     "Se escribe en ASIGT con el código tal como está; no tiene asignatura en ASIGNOMT.",
     "asignatura de un grupo que no está entre las asignaturas",
     "asignaturas de grupos que no están entre las asignaturas"},
    {"Asignatura de un grupo sin horas",
     "No hay línea de horas para su asignatura, nivel y curso: se le da HORAS 1.",
     "asignatura de un grupo sin horas (se le da 1)",
     "asignaturas de grupos sin horas (se les da 1)"},
    {"Horas por debajo de 1", "Se le da HORAS 1.", "asignatura con menos de 1 hora (se sube a 1)",
     "asignaturas con menos de 1 hora (se suben a 1)"},
    {"Tramo que no acaba después de empezar", "Se escribe el tramo con las horas que tiene.",
     "tramo que no acaba después de empezar", "tramos que no acaban después de empezar"},
    {"Tramos con el mismo día y la misma hora de inicio",
     "Se escriben los dos tramos; tienen el mismo número de tramo.",
     "tramo con el día y la hora de inicio de otro",
     "tramos con el día y la hora de inicio de otro"},
    {"Hora de inicio sin cuatro cifras",
     "Los tramos se numeran por el orden del texto de su hora de inicio, no por la hora.",
     "hora de inicio sin cuatro cifras", "horas de inicio sin cuatro cifras"},
    {"Día no válido", "Se escribe el tramo con el día tal como está.",
     "tramo con un día que no es ni letra de día ni cifra del 1 al 7",
     "tramos con un día que no es ni letra de día ni cifra del 1 al 7"},
    {"Falta un fichero", "No se ha leído: la tabla que se hace con él no se ha escrito.",
     "fichero que falta", "ficheros que faltan"},
    {"Sesión sin tramo en DIASHORAST", "Se escribe la sesión con el código de tramo en blanco.",
     "sesión sin tramo en DIASHORAST", "sesiones sin tramo en DIASHORAST"},
    {"Valor más largo que su columna",
     "Se escribe entero: el resto de la línea se desplaza a la derecha.",
     "valor más largo que su columna", "valores más largos que su columna"},
    {"Profesor que no está en PROFT", "Se escribe la sesión con el código tal como está.",
     "sesión de un profesor que no está en PROFT", "sesiones de profesores que no están en PROFT"},
    {"Grupo que no está en GRUPOST", "Se escribe la sesión con el código tal como está.",
     "sesión de un grupo que no está en GRUPOST", "sesiones de grupos que no están en GRUPOST"},
    {"Asignatura que no está en ASIGNOMT", "Se escribe la sesión con el código tal como está.",
     "sesión de una asignatura que no está en ASIGNOMT",
     "sesiones de asignaturas que no están en ASIGNOMT"},
    {"Aula que no está en AULAT", "Se escribe la sesión con el código tal como está.",
     "sesión en un aula que no está en AULAT", "sesiones en aulas que no están en AULAT"},
    {"Sesiones con el día 0", "No se escriben: no tienen línea en SICE_HORARIO.TXT.",
     "registro de SOLUC con el día 0 (sin línea)", "registros de SOLUC con el día 0 (sin línea)"},
    {"Tramo repetido en DIASHORAST",
     "Dos tramos con el mismo día y número: el código de tramo es el del primero.",
     "tramo repetido en DIASHORAST", "tramos repetidos en DIASHORAST"},
};

const KindText& TextOf(NoticeKind kind) {
  return kKindTexts[static_cast<size_t>(kind)];
}

// At most limit bytes, not ending inside a UTF-8 character, with "…" after
// a cut.
void Limit(std::string& text) {
  if (text.size() <= Report::kTextLimit) return;
  size_t end = Report::kTextLimit;
  for (int back = 0; back < 3 && end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80;
       ++back)
    --end;
  text.resize(end);
  text += "…";
  text.shrink_to_fit();
}

}  // namespace

std::string_view KindTitle(NoticeKind kind) {
  return TextOf(kind).title;
}
std::string_view KindAction(NoticeKind kind) {
  return TextOf(kind).action;
}

Report::Report(Direction direction) : direction_(direction) {}

void Report::Add(NoticeKind kind, Notice notice) {
  size_t i = static_cast<size_t>(kind);
  ++counts_[i];
  if (listed_[i].size() >= kListed) return;
  Limit(notice.where);
  Limit(notice.values);
  Limit(notice.action);
  listed_[i].push_back(std::move(notice));
}

void Report::Count(NoticeKind kind, uint64_t n) {
  counts_[static_cast<size_t>(kind)] += n;
}

void Report::SetFolder(std::string folder) {
  folder_ = std::move(folder);
}

void Report::AddOutput(std::string name, uint64_t count, std::string unit) {
  outputs_.push_back(Output{std::move(name), count, std::move(unit)});
}

void Report::SetError(std::string text) {
  error_ = std::move(text);
}

uint64_t Report::Total() const {
  uint64_t total = 0;
  for (uint64_t c : counts_) total += c;
  return total;
}

uint64_t Report::CountOf(NoticeKind kind) const {
  return counts_[static_cast<size_t>(kind)];
}

const std::vector<Notice>& Report::Listed(NoticeKind kind) const {
  return listed_[static_cast<size_t>(kind)];
}

void TellDecoding(Report& report, std::string_view file, const FileDecoding& decoding) {
  if (decoding.encoding == SiceEncoding::kWindows1252) return;
  report.Add(NoticeKind::kCodificacion,
             {std::string(file), "leído como " + std::string(EncodingName(decoding.encoding)), ""});
  for (const Replaced& r : decoding.replaced) {
    if (!report.Keeps(NoticeKind::kCaracterSustituido)) {
      report.Count(NoticeKind::kCaracterSustituido);
      continue;
    }
    std::string values;
    char code[32];
    if (!r.bytes.empty()) {
      values = "bytes";
      for (char b : r.bytes) {
        std::snprintf(code, sizeof code, " 0x%02X", static_cast<unsigned char>(b));
        values += code;
      }
      values += " que no forman ningún carácter";
    } else {
      std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(r.character));
      values = "«";
      // A lone surrogate is no character to show.
      if (r.character < 0xD800 || r.character > 0xDFFF) text::AppendUtf8(values, r.character);
      values += "» (" + std::string(code) + ")";
    }
    values += " se lee como «" + text::Cp1252ToUtf8(std::string(1, r.became)) + "»";
    report.Add(NoticeKind::kCaracterSustituido,
               {std::string(file) + ", línea " + std::to_string(r.line), std::move(values), ""});
  }
  // Those past the ones the reading kept are counted only.
  report.Count(NoticeKind::kCaracterSustituido, decoding.replacedCount - decoding.replaced.size());
}

const char* ReportFileName(Direction direction) {
  return direction == Direction::kSiceAOrvalent ? kInformeImportacion : kInformeExportacion;
}

std::string ReportQuestion(uint64_t notices) {
  if (notices == 1) return "Se ha encontrado 1 aviso en los datos. ¿Quiere ver el informe?";
  return "Se han encontrado " + std::to_string(notices) +
         " avisos en los datos. ¿Quiere ver el informe?";
}

std::string SummaryLines(const Report& report) {
  std::string out;
  for (size_t i = 0; i < kNoticeKinds; ++i) {
    auto kind = static_cast<NoticeKind>(i);
    uint64_t n = report.CountOf(kind);
    if (n == 0) continue;
    out += "Avisos: " + std::to_string(n) + " " + (n == 1 ? TextOf(kind).one : TextOf(kind).many) +
           "\n";
  }
  return out;
}

}  // namespace tos
