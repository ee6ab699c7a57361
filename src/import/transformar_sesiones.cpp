// Time slots: sice_sesiones.txt -> DIASHORAST, each slot with its day as
// SICE writes it and a slot number: the place of its start time among the
// distinct start times of the whole file. The export reads it back to find
// SICE's slot code for a day and slot number.
//
// The lines are read and checked first and the table written once; when a
// time does not convert, the slots before that line are written as they
// stand after the first pass (HORA still the start time, DIHO empty).
#include <algorithm>
#include <unordered_map>

#include "data/error.h"
#include "data/sice_text.h"
#include "data/table.h"
#include "data/text.h"
#include "import/imports.h"
#include "import/slot_time.h"

namespace tos {

namespace {

struct Tramo {
  std::string codigo;  // CODDIHO
  std::string dia;     // one character or none
  std::string desde;   // HORADESDE, as in the file
  std::string hasta;   // HORAHASTA
  int64_t minutos = 0;
  uint32_t hora = 0;  // slot number, 0 until numbered
};

int32_t ConvertTime(const std::string& value) {
  std::optional<int32_t> number = LeerEnteroDecimal(value);
  if (!number) throw Error(Format("'%s' no es un valor entero válido", text::Cp1252ToUtf8(value)));
  return *number;
}

constexpr const char* kFile = "sice_sesiones.txt";

// A start time as a number in the order of its text (it converted, so it
// holds only signs and digits, no letter to fold and no NUL): its bytes
// packed, the first highest, as CortarCampo cut it to 4.
uint32_t StartKey(const std::string& desde) { return text::PackedCode(desde); }

// What the report says of a slot: an end that is not after the start, a
// day and start time seen before, a start time not of four digits (slots
// are numbered by the text's order), a day that is no day. The texts are
// made only for the cases the report lists.
void CheckSlot(ImportContext& context, std::string_view line, const Tramo& t, int32_t start,
               int32_t end, const Place& place,
               std::unordered_map<uint64_t, uint64_t>& firstOfDayAndStart) {
  context.CheckLine(line, t.codigo, 14, place);
  auto slot = [&] {
    return "tramo " + t.codigo + ", día " + t.dia + ", de " + t.desde + " a " + t.hasta;
  };
  auto tell = [&](NoticeKind kind) {
    context.report.Add(kind, [&] { return Notice{place.Text(), slot(), ""}; });
  };
  if (end <= start) tell(NoticeKind::kTramoFinNoPosterior);
  // The day is one byte or none: a byte value above 255 stands for none.
  const uint64_t day = t.dia.empty() ? 256 : static_cast<unsigned char>(t.dia[0]);
  auto [first, added] = firstOfDayAndStart.try_emplace(day << 32 | StartKey(t.desde), place.line);
  if (!added) {
    const uint64_t firstLine = first->second;
    context.report.Add(NoticeKind::kTramoRepetido, [&] {
      return Notice{place.Text(),
                    slot() + "; primera línea con ese día y hora: " + std::to_string(firstLine),
                    ""};
    });
  }
  if (t.desde.size() != 4) tell(NoticeKind::kHoraSinCuatroCifras);
  static constexpr std::string_view kDays = "LMXJVSD1234567";
  if (t.dia.size() != 1 || kDays.find(t.dia[0]) == std::string_view::npos)
    tell(NoticeKind::kDiaNoValido);
}

}  // namespace

void TransformarSesiones(ImportContext& context) {
  const std::string path = context.SicePath("sice_sesiones.txt");
  if (!ExisteArchivo(path)) {
    context.MissingFile("No existe archivo de grupos (SICE_SESIONES.TXT)", kFile);
    return;
  }
  std::vector<Tramo> tramos;
  {
    FileWatch& watch = context.Watch(kFile, "SICE_SESIONES.TXT");
    std::vector<std::string> lines = CargarLineas(path, &watch.decoding);
    std::unique_ptr<Table> table = RecrearTabla(context.otemp, "DIASHORAST",
                                                {{"DIHO", FieldKind::kText, 10},
                                                 {"CODDIHO", FieldKind::kText, 10},
                                                 {"DIA", FieldKind::kText, 20},
                                                 {"TEXTODIA", FieldKind::kText, 20},
                                                 {"HORA", FieldKind::kText, 8},
                                                 {"HORADESDE", FieldKind::kText, 8},
                                                 {"HORAHASTA", FieldKind::kText, 8},
                                                 {"MINUTOS", FieldKind::kText, 8}});
    Field diho = table->FieldByName("DIHO");
    Field coddiho = table->FieldByName("CODDIHO");
    Field dia = table->FieldByName("DIA");
    Field hora = table->FieldByName("HORA");
    Field desde = table->FieldByName("HORADESDE");
    Field hasta = table->FieldByName("HORAHASTA");
    Field minutos = table->FieldByName("MINUTOS");
    auto write = [&] {
      for (const Tramo& t : tramos) {
        table->Append();
        if (t.hora != 0) {
          std::string number = std::to_string(t.hora);
          diho.SetAsString(t.dia + number);
          hora.SetAsString(number);
        } else {
          hora.SetAsString(t.desde);
        }
        dia.SetAsString(t.dia);
        coddiho.SetAsString(t.codigo);
        desde.SetAsString(t.desde);
        hasta.SetAsString(t.hasta);
        minutos.SetAsString(std::to_string(t.minutos));
        table->Post();
      }
    };

    try {
      uint64_t number = 0;
      std::unordered_map<uint64_t, uint64_t> firstOfDayAndStart;
      for (const std::string& line : lines) {
        const Place place{kFile, ++number};
        if (!watch.See(line)) continue;
        Tramo t;
        t.codigo = CortarCampo(line, 5, 4);
        t.dia = CortarCampo(line, 9, 1);
        t.desde = CortarCampo(line, 10, 4);
        t.hasta = CortarCampo(line, 14, 4);
        // The end time first: it is the one a failure names when both are bad.
        int32_t end = ConvertTime(t.hasta);
        int32_t start = ConvertTime(t.desde);
        t.minutos = MinutosDeTramo(start, end);
        CheckSlot(context, line, t, start, end, place, firstOfDayAndStart);
        tramos.push_back(std::move(t));
      }
      watch.ReadToEnd();
    } catch (...) {
      try {
        write();
      } catch (...) {
      }
      throw;
    }
    lines.clear();

    // Start times are equal and ordered as text with letter case ignored
    // (so "1000" comes before "900"); every one converted, so only signs
    // and digits occur and their packed bytes are in that order.
    std::vector<uint32_t> starts;
    starts.reserve(tramos.size());
    for (const Tramo& t : tramos) starts.push_back(StartKey(t.desde));
    std::sort(starts.begin(), starts.end());
    starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
    for (Tramo& t : tramos) {
      auto at = std::lower_bound(starts.begin(), starts.end(), StartKey(t.desde));
      t.hora = static_cast<uint32_t>(at - starts.begin()) + 1;
    }
    write();
    Written(context, "DIASHORAST", table->RecordCount());
    table->Close();
  }
}

}  // namespace tos
