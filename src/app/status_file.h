// The status file through which Orvalent learns how the last conversion
// ended: "Orvalent.ini" beside the program, written on closing when
// embedded.
#pragma once

#include <cstdint>
#include <string>

namespace tos {

inline constexpr const char* kStatusFileName = "Orvalent.ini";
inline constexpr const char* kStatusSection = "Transformadores";
inline constexpr const char* kStatusKey = "Transformado";

// The program file's folder (with or without its trailing separator)
// followed by "Orvalent.ini".
std::string StatusFilePath(const std::string& programFolder);

// Sets section/key to the value as a decimal integer, keeping every other
// line of the file; creates the file, the section or the key when missing.
// On Windows it is the platform's private-profile API. Throws tos::Error
// "Unable to write to <path>" when the file cannot be written.
void WriteStatusFile(const std::string& path, int32_t value);

// The same done here: the file read whole, the entry set, the new content
// written beside it and renamed over it, so that a failed write (a full
// disk) never leaves Orvalent's other settings cut short. For platforms
// without a faithful private-profile API.
void EditStatusFile(const std::string& path, int32_t value);

// The ini edit itself for platforms without a private-profile API: the
// section and key are found ignoring ASCII letter case, as Windows does,
// and the line ends the file already uses are kept.
std::string SetIniValue(const std::string& content, const std::string& section,
                        const std::string& key, const std::string& value);

}  // namespace tos
