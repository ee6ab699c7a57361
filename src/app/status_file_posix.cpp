// Without a private-profile API the file is edited here: read whole, the
// one entry set, written back whole.
#include <memory>

#include "app/status_file.h"
#include "data/error.h"
#include "data/files.h"

namespace tos {

void WriteStatusFile(const std::string& path, int32_t value) {
  fs::FileSystem& files = fs::Current();
  try {
    std::string content;
    if (files.FindFile(path)) {
      std::unique_ptr<fs::ReadStream> in = files.OpenRead(path);
      char buffer[4096];
      for (size_t n; (n = in->Read(buffer, sizeof buffer)) > 0;) content.append(buffer, n);
    }
    std::string updated = SetIniValue(content, kStatusSection, kStatusKey, std::to_string(value));
    std::unique_ptr<fs::WriteStream> out = files.Create(path);
    out->Write(updated.data(), updated.size());
    out->Close();
  } catch (const Error&) {
    throw Error(Format("Unable to write to %s", path));
  }
}

}  // namespace tos
