// A file system for tests that passes everything to another one (the real
// one by default) and fails chosen operations the way the machine would: the
// n-th open, read, write, close, rename or delete, optionally only on paths
// holding some text, with the platform codes of data/files.h. Put it in force
// with fs::ScopedFileSystem.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/files.h"

namespace tos::test {

enum class FsOp {
  kOpen,    // OpenRead, Create, OpenTable
  kRead,    // ReadStream::Read, RandomAccessFile::ReadAt
  kWrite,   // WriteStream::Write, RandomAccessFile::WriteAt and Truncate
  kClose,   // WriteStream::Close, RandomAccessFile::Close (where a late write failure shows)
  kRename,  // Rename; the path matched is the source
  kRemove,  // Remove, RemoveFolder
  kMakeFolder,  // MakeFolder
};

struct Fault {
  FsOp op = FsOp::kOpen;
  // 1-based: the n-th operation of that kind whose path matches fails.
  int nth = 1;
  int code = fs::kDiskFull;
  // Only operations on a path holding this text (ASCII letter case ignored);
  // every path when empty.
  std::string pathPart;
  // The n-th and every later matching operation fail (a full disk stays full).
  bool persist = false;
  // A failing write first hands half of its bytes on, as a disk that fills up
  // in the middle of a write does.
  bool partialWrite = false;
};

// The platform's own words for the codes the injector uses (as the real file
// system of Linux gives them).
std::string FaultText(int code);

class FaultyFileSystem final : public fs::FileSystem {
 public:
  explicit FaultyFileSystem(fs::FileSystem& inner = fs::Real());

  // Adds a fault; several may be armed at once.
  FaultyFileSystem& Add(Fault fault);
  // Shorthand for the common case.
  FaultyFileSystem& Fail(FsOp op, int nth, int code, std::string pathPart = "");
  void Clear();

  // Hands every read at most this many bytes (0: no limit), so that a read
  // fault can strike in the middle of a small file.
  void SetReadChunk(size_t bytes) { readChunk_ = bytes; }

  // Operations of that kind seen so far on matching paths, failed ones included.
  int Count(FsOp op, const std::string& pathPart = "") const;
  // How many operations were made to fail.
  int Injected() const { return injected_; }
  // Streams and table files handed out and not yet destroyed.
  int OpenHandles() const { return openHandles_; }

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

  // Used by the wrapped streams: records the operation and throws when a
  // fault is due. Returns the fault that struck a write with partialWrite,
  // for the caller to hand half the bytes on before throwing.
  const Fault* Check(FsOp op, const std::string& path, bool allowPartial = false);
  [[noreturn]] void Throw(const Fault& fault);
  size_t ReadChunk() const { return readChunk_; }
  void HandleOpened() { ++openHandles_; }
  void HandleClosed() { --openHandles_; }

 private:
  struct Armed {
    Fault fault;
    int seen = 0;
  };
  struct Seen {
    FsOp op;
    std::string path;
  };
  fs::FileSystem& inner_;
  std::vector<Armed> faults_;
  std::vector<Seen> seen_;
  size_t readChunk_ = 0;
  int injected_ = 0;
  int openHandles_ = 0;
};

}  // namespace tos::test
