// What the converter needs from the platform: its arguments as UTF-8, a
// console that shows UTF-8, standard output without line-end translation,
// and Orvalent's working folder.
#pragma once

#include <string>
#include <vector>

namespace tos::cli {

// The program's arguments after its name, in UTF-8, and a console set up to
// show UTF-8 text.
std::vector<std::string> StartConsole(int argc, char** argv);

// Standard output writes LF line ends as they are.
void BinaryStdout();

// The working folder: "C:\OTEMP" on Windows; elsewhere Wine's drive C:
// ($WINEPREFIX/drive_c/OTEMP, prefix ~/.wine by default).
std::string DefaultOtemp();

// The system's folder for temporary files (TMPDIR, else /tmp; Windows' own).
std::string TemporaryFolder();

}  // namespace tos::cli
