// The texts of a table's file failures: the file layer's error (a platform
// code) turned into what the user reads, naming the table or file and what
// was being done to it.
#pragma once

#include <string>

#include "data/error.h"

namespace tos {

enum class IoWhat { kOpen, kCreate, kRead, kWrite, kDelete };

// "la tabla X" or "el archivo X": what a message is about.
struct Subject {
  std::string path;
  bool table = true;
  std::string Lower() const { return (table ? "la tabla " : "el archivo ") + path; }
  std::string Upper() const { return (table ? "La tabla " : "El archivo ") + path; }
};

// Raises the error the user reads for the file layer's failure e while
// doing what to s: "La tabla X está en uso por otro programa", "No queda
// espacio en el disco para escribir la tabla X", "Error de E/S N al leer ...".
[[noreturn]] void FailIo(const Error& e, IoWhat what, const Subject& s);

// Runs one file operation, turning the file layer's error into ours.
template <class F>
auto Io(IoWhat what, const Subject& s, F&& f) -> decltype(f()) {
  try {
    return f();
  } catch (const Error& e) {
    FailIo(e, what, s);
  }
}

}  // namespace tos
