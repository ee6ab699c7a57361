// Both SICE line readers over arbitrary bytes, checked against a plain
// restatement of their line rules over the file's text as decoded into
// Windows-1252 (the decoding has its own target), and the line helpers (EsLineaDeDatos,
// CortarCampo, AnadirCampo) over every line they give.
// Input: byte 0 the read size the file system hands out (0: whole), bytes
// 1-4 a column and a length for CortarCampo, then the file's bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "data/error.h"
#include "data/sice_text.h"
#include "memory_fs.h"

namespace {

using Lines = std::vector<std::string>;

[[noreturn]] void Broken(const char* what) {
  std::fprintf(stderr, "broken rule: %s\n", what);
  std::abort();
}

// LF or CR LF end a line; other CRs are dropped; Ctrl-Z ends the text.
Lines Streamed(const std::string& d) {
  Lines out;
  size_t i = 0;
  while (i < d.size() && d[i] != '\x1a') {
    std::string line;
    bool stop = false;
    for (; i < d.size() && d[i] != '\n'; ++i) {
      if (d[i] == '\x1a') {
        stop = true;
        break;
      }
      if (d[i] != '\r') line += d[i];
    }
    out.push_back(line);
    if (stop) break;
    ++i;  // past the LF
  }
  return out;
}

// CR LF, LF or CR end a line; trailing NULs then one Ctrl-Z are dropped.
Lines Whole(std::string d) {
  while (!d.empty() && d.back() == '\0') d.pop_back();
  if (!d.empty() && d.back() == '\x1a') d.pop_back();
  Lines out;
  size_t i = 0;
  while (i < d.size()) {
    size_t j = i;
    while (j < d.size() && d[j] != '\r' && d[j] != '\n') ++j;
    out.push_back(d.substr(i, j - i));
    if (j + 1 < d.size() && d[j] == '\r' && d[j + 1] == '\n') ++j;
    i = j + 1;
  }
  return out;
}

void CheckField(const std::string& line, size_t column, size_t length) {
  std::string f = tos::CortarCampo(line, column, length);
  if (f.size() > length) Broken("field longer than its length");
  if (!f.empty()) {
    if (static_cast<unsigned char>(f.front()) <= 32 || static_cast<unsigned char>(f.back()) <= 32) {
      Broken("field not trimmed");
    }
    if (column == 0 || line.find(f, column - 1) == std::string::npos) Broken("field not in line");
  }
  std::string built = "1";
  tos::AnadirCampo(built, f, length);
  if (built.compare(1, f.size(), f) != 0) Broken("AnadirCampo changed the value");
  size_t pad = f.size() < length ? std::min<size_t>(length - f.size(), 95) : 0;
  if (built.size() != 1 + f.size() + pad) Broken("AnadirCampo padding");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5) return 0;
  tos::fuzz::MemoryFileSystem files;
  files.readChunk = data[0];
  size_t column = data[1] | (data[2] << 8);
  size_t length = data[3] | (data[4] << 8);
  std::string bytes(reinterpret_cast<const char*>(data + 5), size - 5);
  files.AddFolder("/s");
  files.Put("/s/SICE_PROF.TXT", bytes);
  tos::fs::ScopedFileSystem scope(files);

  // The line rules apply to the text as decoded.
  std::string text;
  {
    tos::SiceStream decoded(files.OpenRead("/s/SICE_PROF.TXT"), "/s/SICE_PROF.TXT", nullptr);
    char buffer[4096];
    for (size_t n; (n = decoded.Read(buffer, sizeof buffer)) > 0;) text.append(buffer, n);
  }

  Lines streamed;
  {
    tos::LectorLineas reader;
    reader.Open("/s/sice_prof.txt");  // found whatever the letter case
    while (!reader.AtEnd()) streamed.emplace_back(reader.ReadLineView());
    try {
      reader.ReadLineView();
      Broken("reading past the end gave a line");
    } catch (const tos::Error& e) {
      if (e.Code() != 100) Broken("reading past the end: wrong code");
    }
  }
  if (streamed != Streamed(text)) Broken("LectorLineas lines");
  Lines whole = tos::CargarLineas("/s/Sice_Prof.txt");
  if (whole != Whole(text)) Broken("CargarLineas lines");
  if (files.OpenHandles() != 0) Broken("a reader left its file open");

  for (const Lines* lines : {&streamed, &whole}) {
    for (const std::string& line : *lines) {
      bool data = tos::EsLineaDeDatos(line, "SICE_PROF.TXT");
      bool expected = !(line.size() > 0 && (line[0] == '0' || line[0] == '9'));
      if (!data && expected) {
        // Only a self-name line may be passed over besides headers and trailers.
        std::string self = tos::CortarCampo(line, 2, 50);
        for (char& c : self) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
        if (self != "SICE_PROF.TXT") Broken("EsLineaDeDatos");
      }
      if (data && !expected) Broken("header or trailer taken for data");
      CheckField(line, column, length);
      CheckField(line, 2, 50);
    }
  }
  return 0;
}
