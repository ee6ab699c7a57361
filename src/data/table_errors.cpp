#include "data/table_errors.h"

#include "data/files.h"

namespace tos {

void FailIo(const Error& e, IoWhat what, const Subject& s) {
  int code = e.Code();
  switch (code) {
    case fs::kSharingViolation:
    case fs::kLockViolation:
      throw Error(s.Upper() + " está en uso por otro programa", code);
    case fs::kFileNotFound:
      throw Error("No se encuentra " + s.Lower(), code);
    case fs::kPathNotFound:
      throw Error("No se encuentra la carpeta de " + s.Lower(), code);
    case fs::kTooManyOpenFiles:
      throw Error("Hay demasiados archivos abiertos para abrir " + s.Lower(), code);
    case fs::kDiskFull:
      throw Error("No queda espacio en el disco para escribir " + s.Lower(), code);
    case fs::kAccessDenied:
      switch (what) {
        case IoWhat::kOpen:
        case IoWhat::kRead: throw Error("No hay permiso para leer " + s.Lower(), code);
        case IoWhat::kDelete: throw Error("No hay permiso para borrar " + s.Lower(), code);
        default: throw Error("No hay permiso para escribir en " + s.Lower(), code);
      }
    default: break;
  }
  const char* verb = "leer";
  switch (what) {
    case IoWhat::kOpen: verb = "abrir"; break;
    case IoWhat::kCreate: verb = "crear"; break;
    case IoWhat::kRead: verb = "leer"; break;
    case IoWhat::kWrite: verb = "escribir"; break;
    case IoWhat::kDelete: verb = "borrar"; break;
  }
  throw Error("Error de E/S " + std::to_string(fs::ShownNumber(code)) + " al " + verb + " " + s.Lower(), code);
}

}  // namespace tos
