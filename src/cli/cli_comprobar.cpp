// "comprobar CARPETA [--otemp DIR]": what the SICE-to-Orvalent run would
// give on these folders (its messages, its notices, its status) with
// Orvalent's working folder left as it is. The run goes into a scratch
// folder that holds a copy of what it reads from the working folder
// (GRUPOST, which the assignments read when sice_grupo.txt is missing), and
// the scratch folder is removed afterwards; messages name the user's
// folders, never the scratch one. Files and folders go through the file
// seam like every other.
#include <cstdio>
#include <exception>
#include <optional>
#include <random>

#include "cli/cli_services.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "core/program_state.h"
#include "data/error.h"
#include "data/files.h"
#include "import/import_run.h"

namespace tos::cli {

namespace {

constexpr int kExitNotices = 3;
// Windows' code for a folder that is there already (the seam gives Linux's
// as kFileExists).
constexpr int kAlreadyExists = 183;

// What the run reads from the working folder, and what it writes there.
constexpr const char* kRead[] = {"GRUPOST.DBF", "GRUPOST.CPG"};
constexpr const char* kWritten[] = {"ASIGNOMT.DBF", "PROFT.DBF", "AULAT.DBF",
                                    "GRUPOST.DBF",  "ASIGT.DBF", "DIASHORAST.DBF"};

int RunComprobar(const std::vector<std::string>& args);

const Command& ComprobarCommand() {
  static const Command command{
      "comprobar", "comprobar CARPETA [--otemp DIR] [--informe FICHERO | --sin-informe]",
      "  Dice lo que daría la transformación de SICE a Orvalent (exportar) con los\n"
      "  ficheros de CARPETA y la carpeta de trabajo de Orvalent, sin cambiar esa\n"
      "  carpeta: los mismos mensajes, los mismos avisos y el mismo estado. Hace la\n"
      "  transformación en una carpeta temporal con una copia de lo que lee de la\n"
      "  carpeta de trabajo (GRUPOST, si falta sice_grupo.txt) y la borra al acabar.\n"
      "  --otemp DIR es la carpeta de trabajo, como en exportar (sin él, C:\\OTEMP).\n"
      "  Escribe los mensajes y el resumen de los avisos (una línea \"Avisos: ...\" por\n"
      "  clase) por la salida de errores, y el informe, una página HTML con cada aviso,\n"
      "  en CARPETA como informe_sice_a_orvalent.html (--informe FICHERO lo escribe en\n"
      "  FICHERO; --sin-informe no lo escribe). Estado de salida: 0 nada que avisar;\n"
      "  3 hay avisos; 1 faltaba la carpeta o algún fichero; 2 un error detuvo el\n"
      "  proceso.\n",
      RunComprobar};
  return command;
}

// A new, empty folder in the system's temporary folder.
std::optional<std::string> MakeScratchFolder() {
  std::random_device seed;
  std::mt19937 random(seed());
  for (int attempt = 0; attempt < 20; ++attempt) {
    std::string folder = fs::Join(TemporaryFolder(), "tos-comprobar-" + std::to_string(random()));
    try {
      fs::Current().MakeFolder(folder);
      return folder;
    } catch (const Error& e) {
      if (e.Code() != fs::kFileExists && e.Code() != kAlreadyExists) return std::nullopt;
    }
  }
  return std::nullopt;
}

void CopyFile(const std::string& from, const std::string& to) {
  std::unique_ptr<fs::ReadStream> in = fs::Current().OpenRead(from);
  std::unique_ptr<fs::WriteStream> out = fs::Current().Create(to);
  std::vector<char> buffer(1 << 16);
  for (size_t n; (n = in->Read(buffer.data(), buffer.size())) > 0;) out->Write(buffer.data(), n);
  out->Close();
}

// Deletes what the run left in the scratch folder, then the folder; false
// when something stays.
bool RemoveScratchFolder(const std::string& folder) {
  auto remove = [&](const char* name) {
    if (std::optional<std::string> file = fs::Current().FindFile(fs::Join(folder, name)))
      fs::Current().Remove(*file);
  };
  try {
    for (const char* name : kWritten) remove(name);
    for (const char* name : kRead) remove(name);
    fs::Current().RemoveFolder(folder);
    return true;
  } catch (const Error&) {
    return false;
  }
}

// text with every mention of the scratch folder put as the working folder
// (given with or without a separator at its end, as tables name it).
std::string AsTheWorkingFolder(std::string text, const std::string& scratch, std::string otemp) {
  if (otemp.size() > 1 && fs::IsSeparator(otemp.back()) && !fs::IsDriveRoot(otemp, otemp.size()))
    otemp.pop_back();
  for (size_t at = text.find(scratch); at != std::string::npos;
       at = text.find(scratch, at + otemp.size()))
    text.replace(at, scratch.size(), otemp);
  return text;
}

int RunComprobar(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") {
      std::printf("uso: transorvalentsice-cli %s\n%s", ComprobarCommand().usage.c_str(),
                  ComprobarCommand().help.c_str());
      return kExitDone;
    }
  }
  std::string problem;
  std::optional<FolderArgs> parsed = ParseFolderArgs(args, problem);
  if (!parsed) return UsageError(ComprobarCommand(), problem);
  const std::string otemp = parsed->otemp;

  // A working folder that is not there fails the run at its first table,
  // and nothing can be written into it: the run goes there itself.
  std::optional<std::string> scratch;
  if (fs::Current().DirectoryExists(otemp)) {
    scratch = MakeScratchFolder();
    if (!scratch) {
      PrintMessage("No se ha podido crear una carpeta temporal en " + TemporaryFolder());
      return kExitError;
    }
  }
  int status = RunConversion(
      *parsed, Direction::kSiceAOrvalent,
      [&](ProgramState& state, WindowServices& window, Report* report) {
        if (!scratch) return BExportarClick(state, window, otemp, report);
        try {
          for (const char* name : kRead) {
            if (std::optional<std::string> file = fs::Current().FindFile(fs::Join(otemp, name)))
              CopyFile(*file, fs::Join(*scratch, name));
          }
          BExportarClick(state, window, *scratch, report);
        } catch (const Error& e) {
          throw Error(AsTheWorkingFolder(e.what(), *scratch, otemp), e.Code());
        }
      },
      kExitNotices);
  if (scratch && !RemoveScratchFolder(*scratch))
    PrintMessage("No se ha podido borrar la carpeta temporal " + *scratch);
  return status;
}

const CommandRegistration kRegistration{ComprobarCommand()};

}  // namespace

}  // namespace tos::cli
