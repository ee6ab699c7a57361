// What the converter needs from the platform: its arguments as UTF-8, a
// console that shows UTF-8, standard output without line-end translation,
// and Orvalent's working folder.
#pragma once

#include <string>
#include <vector>

namespace tos::cli {

// The converter, given its arguments after its name in UTF-8; its exit
// code. The platform's entry point (main; wmain on Windows, whose C library
// hands it the arguments as Windows passed them) sets up a console that
// shows UTF-8 text and calls it.
int Run(const std::vector<std::string>& args);

// Standard output writes LF line ends as they are.
void BinaryStdout();

// The working folder: "C:\OTEMP" on Windows; elsewhere Wine's drive C:
// ($WINEPREFIX/drive_c/OTEMP, prefix ~/.wine by default).
std::string DefaultOtemp();

// The system's folder for temporary files (TMPDIR, else /tmp; Windows' own).
std::string TemporaryFolder();

}  // namespace tos::cli
