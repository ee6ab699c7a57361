// The report's page and its writing.
#include <cstdio>
#include <exception>

#include "data/error.h"
#include "data/files.h"
#include "data/text.h"
#include "report/report.h"

namespace tos {

namespace {

// Well-formed UTF-8 characters are kept; any other byte is taken as
// Windows-1252. Controls that HTML does not allow become U+FFFD.
void AppendText(std::string& out, std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    auto c = static_cast<unsigned char>(s[i]);
    char32_t cp;
    if (c < 0x80) {
      cp = c;
      ++i;
    } else {
      size_t at = i;
      cp = text::NextUtf8(s, at);
      // NextUtf8 gives U+FFFD for a bad sequence too.
      if (cp == 0xFFFD && s.substr(i, 3) != "\xEF\xBF\xBD") {
        cp = text::Cp1252ToUnicode(c);
        ++i;
      } else {
        i = at;
      }
    }
    bool control =
        (cp < 0x20 && cp != '\t' && cp != '\n' && cp != '\r') || (cp >= 0x7F && cp < 0xA0);
    switch (cp) {
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '&':
        out += "&amp;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        if (control) {
          text::AppendUtf8(out, 0xFFFD);
        } else {
          text::AppendUtf8(out, cp);
        }
    }
  }
}

std::string Html(std::string_view s) {
  std::string out;
  AppendText(out, s);
  return out;
}

std::string TwoDigits(int v) {
  char b[16];
  std::snprintf(b, sizeof b, "%02d", v);
  return b;
}

std::string DateTime(const LocalTime& t) {
  return TwoDigits(t.day) + "/" + TwoDigits(t.month) + "/" + std::to_string(t.year) + " " +
         TwoDigits(t.hour) + ":" + TwoDigits(t.minute) + ":" + TwoDigits(t.second);
}

const char kStyle[] =
    "body{font-family:Tahoma,Verdana,Arial,sans-serif;font-size:10pt;color:#000;background:#fff;"
    "margin:1.5em 2em}\n"
    "h1{font-size:16pt;color:#036;margin:0 0 .6em}\n"
    "h2{font-size:12pt;color:#036;border-bottom:1px solid #9ab;margin:1.6em 0 .4em}\n"
    "table{border-collapse:collapse;margin:.4em 0}\n"
    "th,td{border:1px solid #bbb;padding:3px 7px;text-align:left;vertical-align:top}\n"
    "th{background:#e8eef4}\n"
    "table.datos th{width:11em}\n"
    "td.n{text-align:right}\n"
    "p.error{border:2px solid #c00;background:#fee;padding:6px 9px;font-weight:bold}\n"
    "p.bien{color:#060;font-weight:bold}\n"
    "p.accion{font-style:italic}\n"
    "p.hacer{border-left:4px solid #36c;padding-left:8px}\n"
    "@media print{body{margin:0;font-size:9pt}a{color:#000;text-decoration:none}"
    "tr{page-break-inside:avoid}thead{display:table-header-group}"
    "h2{page-break-after:avoid}}\n";

}  // namespace

std::string RenderHtml(const Report& report, const LocalTime& now) {
  const bool import = report.GetDirection() == Direction::kSiceAOrvalent;
  const char* title = import ? "Informe de la transformación de SICE a Orvalent"
                             : "Informe de la transformación de Orvalent a SICE";
  std::string out;
  out.reserve(16384);
  out += "<!DOCTYPE html>\n<html lang=\"es\">\n<head>\n<meta charset=\"utf-8\">\n<title>";
  out += title;
  out += "</title>\n<style>\n";
  out += kStyle;
  out += "</style>\n</head>\n<body>\n<h1>";
  out += title;
  out += "</h1>\n<table class=\"datos\">\n<tr><th>Fecha y hora</th><td>" + DateTime(now) +
         "</td></tr>\n<tr><th>Carpeta de SICE</th><td>" + Html(report.Folder()) + "</td></tr>\n";
  out += import ? "<tr><th>Tablas escritas</th><td>" : "<tr><th>Fichero escrito</th><td>";
  if (report.Outputs().empty()) {
    out += import ? "ninguna" : "ninguno";
  } else {
    for (size_t i = 0; i < report.Outputs().size(); ++i) {
      const Output& o = report.Outputs()[i];
      if (i) out += "<br>";
      out += Html(o.name) + ": " + Html(Counted(o.count, o.one, o.many));
      if (!o.detail.empty()) out += " (" + Html(o.detail) + ")";
    }
  }
  out += "</td></tr>\n</table>\n";

  if (!report.Error().empty()) {
    out += "<p class=\"error\">El proceso se detuvo con este error: " + Html(report.Error()) +
           "</p>\n";
  }

  out += "<h2>Resumen</h2>\n";
  const uint64_t total = report.Total();
  if (total == 0 && !report.Error().empty()) {
    // What the run did before the error is above; nothing is known of the rest.
    out += "<p>Ningún aviso en lo que se hizo hasta el error.</p>\n";
  } else if (total == 0) {
    out += "<p class=\"bien\">Sin avisos</p>\n";
  } else {
    out += "<table>\n<thead><tr><th>Aviso</th><th>Casos</th></tr></thead>\n<tbody>\n";
    for (size_t i = 0; i < kNoticeKinds; ++i) {
      auto kind = static_cast<NoticeKind>(i);
      if (!report.CountOf(kind)) continue;
      out += "<tr><td><a href=\"#aviso" + std::to_string(i) + "\">" + Html(KindTitle(kind)) +
             "</a></td><td class=\"n\">" + std::to_string(report.CountOf(kind)) + "</td></tr>\n";
    }
    out += "</tbody>\n<tfoot><tr><th>Total</th><th class=\"n\">" + std::to_string(total) +
           "</th></tr></tfoot>\n</table>\n";
  }

  for (size_t i = 0; i < kNoticeKinds; ++i) {
    auto kind = static_cast<NoticeKind>(i);
    const uint64_t count = report.CountOf(kind);
    if (!count) continue;
    out += "<h2 id=\"aviso" + std::to_string(i) + "\">" + Html(KindTitle(kind)) + " (" +
           std::to_string(count) + ")</h2>\n<p class=\"accion\">" + Html(KindAction(kind)) +
           "</p>\n<p class=\"hacer\"><b>Qué hacer:</b> " + Html(KindTodo(kind)) + "</p>\n";
    const std::vector<Notice>& listed = report.Listed(kind);
    if (!listed.empty()) {
      // The column of what was done only where a case's differs from the kind's.
      bool actions = false;
      for (const Notice& n : listed) actions |= !n.action.empty();
      out += "<table>\n<thead><tr><th>Dónde</th><th>Valores</th>";
      out += actions ? "<th>Qué se ha hecho</th></tr>" : "</tr>";
      out += "</thead>\n<tbody>\n";
      for (const Notice& n : listed) {
        out += "<tr><td>" + Html(n.where) + "</td><td>" + Html(n.values) + "</td>";
        if (actions)
          out += "<td>" + Html(n.action.empty() ? KindAction(kind) : std::string_view(n.action)) +
                 "</td>";
        out += "</tr>\n";
      }
      out += "</tbody>\n</table>\n";
    }
    if (count > listed.size()) {
      uint64_t more = count - listed.size();
      out += "<p>" +
             (listed.empty() ? Counted(more, "caso", "casos") + ", sin detalle."
                             : "Y " + std::to_string(more) + " más, que no se muestran.") +
             "</p>\n";
    }
  }
  out += "</body>\n</html>\n";
  return out;
}

bool WriteReport(const Report& report, const std::string& path, const LocalTime& now) {
  const std::string temp = path + ".tmp";
  fs::FileSystem& files = fs::Current();
  try {
    const std::string page = RenderHtml(report, now);
    {
      std::unique_ptr<fs::WriteStream> out = files.Create(temp);
      out->Write(page.data(), page.size());
      out->Close();
    }
    files.Rename(temp, path);
    return true;
  } catch (const std::exception&) {
    try {
      files.Remove(temp);
    } catch (const std::exception&) {
      // Nothing of it may be there.
    }
    return false;
  }
}

}  // namespace tos
