// How every conversion ends, in the window and in the converter alike: the
// error that ended it (if one did) and the SICE folder go into the report,
// the report's page is written where the host says, and the host is given
// what to tell the user. The window asks its question and opens the page;
// the converter prints its lines.
#pragma once

#include <optional>
#include <string>

#include "data/clock.h"
#include "report/report.h"

namespace tos {

// Where the page goes.
struct PagePlace {
  bool write = true;  // false: no page at all
  std::string path;   // "": the direction's page in the SICE folder
};

struct RunEnd {
  std::optional<std::string> page;  // the page written
  std::string unwritten;            // the path of a page that could not be written
};

// After a run, also one an error ended (error is then its text as the user
// saw it). The folder is RutaSice; with no folder there, the page has
// nowhere to go and the run has said so already. A page that cannot be
// written changes nothing else.
RunEnd EndRun(Report& report, const std::string& rutaSice, const std::string& error,
              const PagePlace& place, const LocalTime& now);

// The folder as the user chose it: RutaSice without the separator the run
// added ("C:\" for a drive's root, which RutaSice holds as "C:\\").
std::string ShownFolder(const std::string& rutaSice);

// What the converter prints after a run, each line ending in "\n": the
// summary of the notices, then where the page is or that it could not be
// written.
std::string EndLines(const Report& report, const RunEnd& end);

// The window's question after a stand-alone run whose page was written and
// which has notices; nothing to ask otherwise.
std::optional<std::string> EndQuestion(const Report& report, const RunEnd& end);

// What the window says when the page could not be opened.
std::string PageNotOpened(const std::string& page);

}  // namespace tos
