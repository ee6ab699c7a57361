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
  const char* todo;  // what to do about it, and where
};

// In the order of NoticeKind.
constexpr KindText kKindTexts[kNoticeKinds] = {
    {"Fichero en otra codificación",
     "SICE escribe sus ficheros en Windows-1252; este se ha leído en la codificación que se "
     "indica y se ha pasado a Windows-1252 carácter a carácter, de modo que las columnas "
     "cuentan caracteres como SICE los escribió. Probablemente se abrió y se guardó con un "
     "editor (el Bloc de notas) o lo escribió PowerShell.",
     "fichero leído en otra codificación", "ficheros leídos en otra codificación",
     "Nada, si los nombres se ven bien en Orvalent. Para que no vuelva a pasar, use los ficheros "
     "tal como los exporta SICE, sin abrirlos ni guardarlos con otro programa."},
    {"Carácter que Windows-1252 no tiene",
     "Se escribe su letra base, o «?» si no la tiene; unos bytes que no forman ningún carácter "
     "se escriben como «?».",
     "carácter sustituido", "caracteres sustituidos",
     "Si la letra base no le vale, corrija el nombre en Orvalent; o vuelva a exportar el fichero "
     "desde SICE y úselo sin guardarlo con otro programa."},
    {"Fichero incompleto",
     "Se lee lo que hay. Parece una copia que se detuvo a medias: falta la línea final (la que "
     "empieza por 9) después de los datos, o el número de líneas que dice no es el que tiene.",
     "fichero incompleto", "ficheros incompletos",
     "Copie de nuevo el fichero entero desde SICE (o vuelva a exportarlo) y repita la "
     "transformación."},
    {"Fichero con más de una cabecera",
     "Se leen todas sus líneas de datos. Parecen dos exportaciones unidas en un fichero.",
     "fichero con más de una cabecera", "ficheros con más de una cabecera",
     "Vuelva a exportar desde SICE y deje un solo fichero de cada clase en la carpeta; si los unió "
     "a propósito, compruebe que no hay líneas repetidas."},
    {"Fichero con la cabecera de otro fichero",
     "Se lee como el fichero que su nombre dice. Parece renombrado o cambiado por otro.",
     "fichero con la cabecera de otro fichero", "ficheros con la cabecera de otro fichero",
     "Ponga en la carpeta el fichero que corresponde a ese nombre (expórtelo de nuevo desde SICE) "
     "y repita la transformación."},
    {"Ficheros de exportaciones distintas",
     "Se leen todos. Sus cabeceras tienen códigos distintos o fechas separadas por más de un "
     "día: la carpeta mezcla ficheros de dos exportaciones de SICE.",
     "carpeta con ficheros de exportaciones distintas",
     "carpetas con ficheros de exportaciones distintas",
     "Exporte de nuevo todos los ficheros desde SICE a la vez, en una carpeta vacía, y repita la "
     "transformación."},
    {"Líneas con tabulador",
     "Se leen con el tabulador como un carácter más. SICE no escribe tabuladores: el fichero "
     "probablemente se guardó desde una hoja de cálculo.",
     "fichero con líneas con tabulador", "ficheros con líneas con tabulador",
     "Vuelva a exportar el fichero desde SICE sin pasarlo por una hoja de cálculo: un dato con "
     "tabulador puede haberse movido de columna."},
    {"Código repetido: se descarta la línea",
     "Se descarta la línea; vale la primera línea con ese código.",
     "línea descartada por tener un código repetido",
     "líneas descartadas por tener un código repetido",
     "Solo la primera línea llega a Orvalent. Si son dos distintos, cambie en SICE el código de "
     "uno de ellos y repita; si es el mismo, nada."},
    {"Código repetido: se conservan las dos líneas",
     "Se escriben las dos líneas con el mismo código; las asignaturas de un grupo repetido "
     "toman los datos del primero.",
     "código repetido que se conserva dos veces", "códigos repetidos que se conservan dos veces",
     "Orvalent recibe los dos con el mismo código. Si son distintos, cambie en SICE el código de "
     "uno; si uno sobra, quítelo en SICE; y repita."},
    {"Valor cortado al ancho de su campo",
     "Se guarda la parte que cabe en el campo; el resto se pierde.",
     "valor cortado al ancho de su campo", "valores cortados al ancho de su campo",
     "Si la parte cortada importa, acorte el texto en SICE o complételo en Orvalent; si no, nada."},
    {"Línea con el código vacío", "Se lee la línea tal como está, con el código vacío.",
     "línea con el código vacío", "líneas con el código vacío",
     "Ponga en SICE el código que le falta a esa línea y repita la transformación."},
    {"Línea demasiado corta", "Los campos que no caben en la línea se leen vacíos.",
     "línea demasiado corta para sus campos", "líneas demasiado cortas para sus campos",
     "Compruebe la línea en SICE: los datos que le faltan quedan vacíos en Orvalent."},
    {"Asignatura de un grupo que no está en GRUPOST",
     "Se escribe la asignatura del grupo con TURNO, NIVEL, CURSO y GRUPO vacíos.",
     "asignatura de un grupo que no está en GRUPOST",
     "asignaturas de grupos que no están en GRUPOST",
     "Dé de alta el grupo en SICE (o corrija el grupo de la asignación) y repita la "
     "transformación."},
    {"Asignatura de un grupo que no está entre las asignaturas",
     "Se escribe en ASIGT con el código tal como está; no tiene asignatura en ASIGNOMT.",
     "asignatura de un grupo que no está entre las asignaturas",
     "asignaturas de grupos que no están entre las asignaturas",
     "Dé de alta la asignatura en SICE (o corrija la asignatura de la asignación) y repita la "
     "transformación."},
    {"Asignatura de un grupo sin horas",
     "No hay línea de horas para su asignatura, nivel y curso: se le da HORAS 1.",
     "asignatura de un grupo sin horas (se le da 1)",
     "asignaturas de grupos sin horas (se les da 1)",
     "Ponga en SICE las horas de esa asignatura para su nivel y curso y repita, o corrija las "
     "horas en Orvalent."},
    {"Horas por debajo de 1", "Se le da HORAS 1.", "asignatura con menos de 1 hora (se sube a 1)",
     "asignaturas con menos de 1 hora (se suben a 1)",
     "Si no es lo que quería, corrija las horas en SICE y repita, o en Orvalent."},
    {"Tramo que no acaba después de empezar", "Se escribe el tramo con las horas que tiene.",
     "tramo que no acaba después de empezar", "tramos que no acaban después de empezar",
     "Corrija en SICE la hora de fin del tramo y repita la transformación."},
    {"Tramos con el mismo día y la misma hora de inicio",
     "Se escriben los dos tramos; tienen el mismo número de tramo.",
     "tramo con el día y la hora de inicio de otro",
     "tramos con el día y la hora de inicio de otro",
     "Quite en SICE uno de los dos tramos o cambie su hora de inicio, y repita la transformación."},
    {"Hora de inicio sin cuatro cifras",
     "Los tramos se numeran por el orden del texto de su hora de inicio, no por la hora.",
     "hora de inicio sin cuatro cifras", "horas de inicio sin cuatro cifras",
     "Escriba en SICE la hora con cuatro cifras (0900, no 900) y repita: hasta entonces el orden "
     "de los tramos puede no ser el de sus horas."},
    {"Día no válido", "Se escribe el tramo con el día tal como está.",
     "tramo con un día que no es ni letra de día ni cifra del 1 al 7",
     "tramos con un día que no es ni letra de día ni cifra del 1 al 7",
     "Corrija en SICE el día del tramo (una letra de día, L M X J V S D, o una cifra del 1 al 7) y "
     "repita."},
    {"Falta un fichero", "No se ha leído: la tabla que se hace con él no se ha escrito.",
     "fichero que falta", "ficheros que faltan",
     "Ponga en la carpeta el fichero que falta (expórtelo desde SICE) y repita la transformación."},
    {"Sesión sin tramo en DIASHORAST", "Se escribe la sesión con el código de tramo en blanco.",
     "sesión sin tramo en DIASHORAST", "sesiones sin tramo en DIASHORAST",
     "Cree en SICE el tramo de ese día y hora y vuelva a pasar los datos a Orvalent, o mueva la "
     "sesión en Orvalent a un tramo que exista; después repita."},
    {"Valor más largo que su columna",
     "Se escribe entero: el resto de la línea se desplaza a la derecha.",
     "valor más largo que su columna", "valores más largos que su columna",
     "Acorte el código en Orvalent a lo que cabe en su columna y repita: si no, SICE leerá mal esa "
     "línea."},
    {"Profesor que no está en PROFT", "Se escribe la sesión con el código tal como está.",
     "sesión de un profesor que no está en PROFT", "sesiones de profesores que no están en PROFT",
     "Dé de alta el profesor en SICE y vuelva a pasar los datos a Orvalent, o corrija en Orvalent "
     "el profesor de la sesión."},
    {"Grupo que no está en GRUPOST", "Se escribe la sesión con el código tal como está.",
     "sesión de un grupo que no está en GRUPOST", "sesiones de grupos que no están en GRUPOST",
     "Dé de alta el grupo en SICE y vuelva a pasar los datos a Orvalent, o corrija en Orvalent el "
     "grupo de la sesión."},
    {"Asignatura que no está en ASIGNOMT", "Se escribe la sesión con el código tal como está.",
     "sesión de una asignatura que no está en ASIGNOMT",
     "sesiones de asignaturas que no están en ASIGNOMT",
     "Dé de alta la asignatura en SICE y vuelva a pasar los datos a Orvalent, o corrija en "
     "Orvalent la asignatura de la sesión."},
    {"Aula que no está en AULAT", "Se escribe la sesión con el código tal como está.",
     "sesión en un aula que no está en AULAT", "sesiones en aulas que no están en AULAT",
     "Dé de alta el aula en SICE y vuelva a pasar los datos a Orvalent, o corrija en Orvalent el "
     "aula de la sesión."},
    {"Sesión con un código vacío", "Se escribe la sesión con ese código en blanco.",
     "sesión con un código vacío", "sesiones con un código vacío",
     "Complete en Orvalent el profesor, el grupo, la asignatura o el aula que le falta a la sesión "
     "y repita."},
    {"Sesiones con el día 0", "No se escriben: no tienen línea en SICE_HORARIO.TXT.",
     "registro de SOLUC con el día 0 (sin línea)", "registros de SOLUC con el día 0 (sin línea)",
     "Nada, si son sesiones sin colocar; si deben estar en el horario, colóquelas en Orvalent y "
     "repita."},
    {"Tramo repetido en DIASHORAST",
     "Dos tramos con el mismo día y número: el código de tramo es el del primero.",
     "tramo repetido en DIASHORAST", "tramos repetidos en DIASHORAST",
     "Quite en SICE uno de los tramos repetidos y repita las dos transformaciones."},

};

const KindText& TextOf(NoticeKind kind) {
  return kKindTexts[static_cast<size_t>(kind)];
}

// At most limit bytes, not ending inside a UTF-8 character, with "…" after
// a cut.
void Limit(std::string& text) {
  if (text.size() > Report::kTextLimit) {
    size_t end = Report::kTextLimit;
    for (int back = 0;
         back < 3 && end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80; ++back)
      --end;
    text.resize(end);
    text += "…";
  }
  // A text put together piece by piece holds room for more.
  text.shrink_to_fit();
}

}  // namespace

std::string_view KindTitle(NoticeKind kind) {
  return TextOf(kind).title;
}
std::string_view KindAction(NoticeKind kind) {
  return TextOf(kind).action;
}
std::string_view KindTodo(NoticeKind kind) {
  return TextOf(kind).todo;
}

Report::Report(Direction direction) : direction_(direction) {}

void Report::Add(NoticeKind kind, Notice notice) {
  if constexpr (!kNotices) return;
  size_t i = static_cast<size_t>(kind);
  ++counts_[i];
  if (listed_[i].size() >= kListed) return;
  // The room for all the cases a kind lists at once: growing a case at a
  // time, the old cases and their copy were both held at each step.
  if (listed_[i].empty()) listed_[i].reserve(kListed);
  Limit(notice.where);
  Limit(notice.values);
  Limit(notice.action);
  listed_[i].push_back(std::move(notice));
}

void Report::SetFolder(std::string folder) {
  folder_ = std::move(folder);
}

void Report::AddOutput(std::string name, uint64_t count, std::string one, std::string many,
                       std::string detail) {
  outputs_.push_back(
      Output{std::move(name), count, std::move(one), std::move(many), std::move(detail)});
}

std::string Counted(uint64_t n, std::string_view one, std::string_view many) {
  return std::to_string(n) + " " + std::string(n == 1 ? one : many);
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
  for (const Replaced& r : decoding.replaced)
    report.Add(NoticeKind::kCaracterSustituido, [&] {
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
      return Notice{std::string(file) + ", línea " + std::to_string(r.line), std::move(values), ""};
    });
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
