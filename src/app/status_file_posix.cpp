// Without a private-profile API the file is edited here: read whole, the
// one entry set, and the new content written beside the file and renamed
// over it, so that a failed write (a full disk) never leaves Orvalent's
// other settings cut short.
#include <memory>

#include "app/status_file.h"
#include "data/error.h"
#include "data/files.h"

namespace tos {

void WriteStatusFile(const std::string& path, int32_t value) {
  fs::FileSystem& files = fs::Current();
  const std::string beside = path + ".nuevo";
  bool wroteBeside = false;
  try {
    std::string content;
    if (files.FindFile(path)) {
      std::unique_ptr<fs::ReadStream> in = files.OpenRead(path);
      char buffer[4096];
      for (size_t n; (n = in->Read(buffer, sizeof buffer)) > 0;) content.append(buffer, n);
    }
    std::string updated = SetIniValue(content, kStatusSection, kStatusKey, std::to_string(value));
    {
      std::unique_ptr<fs::WriteStream> out = files.Create(beside);
      wroteBeside = true;
      out->Write(updated.data(), updated.size());
      out->Close();
    }
    files.Rename(beside, path);
  } catch (const Error&) {
    if (wroteBeside) {
      try {
        files.Remove(beside);
      } catch (const Error&) {
        // Left behind; the next write replaces it.
      }
    }
    throw Error(Format("Unable to write to %s", path));
  }
}

}  // namespace tos
