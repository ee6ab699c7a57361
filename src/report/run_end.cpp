#include "report/run_end.h"

#include "data/files.h"

namespace tos {

std::string ShownFolder(const std::string& rutaSice) {
  std::string folder = rutaSice;
  if (folder.size() > 1 && fs::IsSeparator(folder.back()) &&
      !fs::IsDriveRoot(folder, folder.size()))
    folder.pop_back();
  return folder;
}

RunEnd EndRun(Report& report, const std::string& rutaSice, const std::string& error,
              const PagePlace& place, const LocalTime& now) {
  if (!error.empty()) report.SetError(error);
  report.SetFolder(ShownFolder(rutaSice));
  RunEnd end;
  if (!place.write) return end;
  std::string path = place.path;
  if (path.empty()) {
    if (rutaSice.empty() || !fs::Current().DirectoryExists(rutaSice)) return end;
    path = rutaSice + ReportFileName(report.GetDirection());
  }
  if (WriteReport(report, path, now))
    end.page = path;
  else
    end.unwritten = path;
  return end;
}

std::string EndLines(const Report& report, const RunEnd& end) {
  std::string lines = SummaryLines(report);
  if (end.page) lines += "Informe: " + *end.page + "\n";
  if (!end.unwritten.empty())
    lines += "No se ha podido escribir el informe " + end.unwritten + "\n";
  return lines;
}

std::optional<std::string> EndQuestion(const Report& report, const RunEnd& end) {
  if (!end.page || report.Total() == 0) return std::nullopt;
  return ReportQuestion(report.Total()) + "\n" + *end.page;
}

std::string PageNotOpened(const std::string& page) {
  return "No se ha podido abrir el informe. Está en:\n" + page;
}

}  // namespace tos
