// An in-memory file system for the fuzz targets: fast, no disk, and strict
// about holds (a table open exclusively refuses every other open with 32), so
// that a handle or a lock left behind by a failed run shows up at once.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "data/files.h"

namespace tos::fuzz {

class MemoryFileSystem final : public fs::FileSystem {
 public:
  struct Node {
    std::string bytes;
    int shared = 0;       // readers and shared table opens
    bool exclusive = false;
  };

  void AddFolder(const std::string& path) { folders_[path] = true; }
  void Put(const std::string& path, std::string bytes);
  // The file's bytes, or nullptr when there is none.
  const std::string* Get(const std::string& path) const;
  // Files still held open by someone.
  int OpenHandles() const { return handles_; }

  std::optional<std::string> FindFile(const std::string& path) override;
  bool DirectoryExists(const std::string& path) override;
  std::unique_ptr<fs::ReadStream> OpenRead(const std::string& path) override;
  std::unique_ptr<fs::WriteStream> Create(const std::string& path) override;
  std::unique_ptr<fs::RandomAccessFile> OpenTable(const std::string& path, fs::TableMode mode,
                                                  bool create) override;
  void Rename(const std::string& from, const std::string& to) override;
  void Remove(const std::string& path) override;
  void MakeFolder(const std::string& path) override;
  void RemoveFolder(const std::string& path) override;

  int handles_ = 0;
  // Hands every read at most this many bytes (0: no limit), to move the
  // readers' buffer boundaries about.
  size_t readChunk = 0;

 private:
  void NeedFolder(const std::string& path);
  std::map<std::string, std::shared_ptr<Node>> files_;
  std::map<std::string, bool> folders_;
};

}  // namespace tos::fuzz
