#include "memory_fs.h"

#include <algorithm>
#include <cstring>

#include "data/error.h"
#include "data/text.h"

namespace tos::fuzz {

namespace {

using Node = MemoryFileSystem::Node;

[[noreturn]] void Fail(int code) { throw Error("memory file system error", code); }

class Handle {
 public:
  Handle(MemoryFileSystem& owner, std::shared_ptr<Node> node, bool exclusive)
      : owner_(owner), node_(std::move(node)), exclusive_(exclusive) {
    if (exclusive_) {
      node_->exclusive = true;
    } else {
      ++node_->shared;
    }
    ++owner_.handles_;
  }
  ~Handle() { Release(); }
  void Release() {
    if (!node_) return;
    if (exclusive_) {
      node_->exclusive = false;
    } else {
      --node_->shared;
    }
    --owner_.handles_;
    node_.reset();
  }
  Node& Get() {
    if (!node_) Fail(6);  // used after close
    return *node_;
  }

 private:
  MemoryFileSystem& owner_;
  std::shared_ptr<Node> node_;
  bool exclusive_;
};

class MemoryReadStream final : public fs::ReadStream {
 public:
  MemoryReadStream(MemoryFileSystem& owner, std::shared_ptr<Node> node)
      : handle_(owner, std::move(node), false), chunk_(owner.readChunk) {}
  size_t Read(char* buffer, size_t size) override {
    const std::string& b = handle_.Get().bytes;
    if (chunk_ > 0) size = std::min(size, chunk_);
    if (pos_ >= b.size()) return 0;
    size_t n = std::min(size, b.size() - pos_);
    std::memcpy(buffer, b.data() + pos_, n);
    pos_ += n;
    return n;
  }

 private:
  Handle handle_;
  size_t chunk_;
  size_t pos_ = 0;
};

class MemoryWriteStream final : public fs::WriteStream {
 public:
  MemoryWriteStream(MemoryFileSystem& owner, std::shared_ptr<Node> node)
      : handle_(owner, std::move(node), false) {}
  void Write(const char* data, size_t size) override { handle_.Get().bytes.append(data, size); }
  void Close() override { handle_.Release(); }

 private:
  Handle handle_;
};

class MemoryTableFile final : public fs::RandomAccessFile {
 public:
  MemoryTableFile(MemoryFileSystem& owner, std::shared_ptr<Node> node, bool exclusive)
      : handle_(owner, std::move(node), exclusive) {}
  size_t ReadAt(uint64_t offset, char* buffer, size_t size) override {
    const std::string& b = handle_.Get().bytes;
    if (offset >= b.size()) return 0;
    size_t n = std::min<uint64_t>(size, b.size() - offset);
    std::memcpy(buffer, b.data() + offset, n);
    return n;
  }
  void WriteAt(uint64_t offset, const char* data, size_t size) override {
    std::string& b = handle_.Get().bytes;
    // Keep a fuzzed header from asking for gigabytes.
    if (offset + size > (64u << 20)) Fail(fs::kDiskFull);
    if (b.size() < offset + size) b.resize(offset + size, '\0');
    std::memcpy(b.data() + offset, data, size);
  }
  uint64_t Size() override { return handle_.Get().bytes.size(); }
  void Truncate(uint64_t size) override {
    if (size > (64u << 20)) Fail(fs::kDiskFull);
    handle_.Get().bytes.resize(size, '\0');
  }
  void Close() override { handle_.Release(); }

 private:
  Handle handle_;
};

}  // namespace

void MemoryFileSystem::Put(const std::string& path, std::string bytes) {
  auto node = std::make_shared<Node>();
  node->bytes = std::move(bytes);
  files_[path] = std::move(node);
}

const std::string* MemoryFileSystem::Get(const std::string& path) const {
  auto it = files_.find(path);
  return it == files_.end() ? nullptr : &it->second->bytes;
}

void MemoryFileSystem::NeedFolder(const std::string& path) {
  std::string folder = fs::Parent(path);
  if (!folder.empty() && !DirectoryExists(folder)) Fail(fs::kPathNotFound);
}

std::optional<std::string> MemoryFileSystem::FindFile(const std::string& path) {
  if (files_.count(path)) return path;
  std::string folder = fs::Parent(path);
  std::string name = fs::BaseName(path);
  for (const auto& [p, node] : files_) {
    if (fs::Parent(p) == folder && text::EqualIgnoringAsciiCase(fs::BaseName(p), name)) return p;
  }
  return std::nullopt;
}

bool MemoryFileSystem::DirectoryExists(const std::string& path) {
  if (path.empty()) return false;
  std::string p = path;
  while (p.size() > 1 && p.back() == fs::kSeparator) p.pop_back();
  return folders_.count(p) > 0;
}

std::unique_ptr<fs::ReadStream> MemoryFileSystem::OpenRead(const std::string& path) {
  auto it = files_.find(path);
  if (it == files_.end()) Fail(fs::kFileNotFound);
  if (it->second->exclusive) Fail(fs::kSharingViolation);
  return std::make_unique<MemoryReadStream>(*this, it->second);
}

std::unique_ptr<fs::WriteStream> MemoryFileSystem::Create(const std::string& path) {
  NeedFolder(path);
  auto it = files_.find(path);
  if (it != files_.end() && (it->second->exclusive || it->second->shared > 0)) {
    Fail(fs::kSharingViolation);
  }
  Put(path, "");
  return std::make_unique<MemoryWriteStream>(*this, files_[path]);
}

std::unique_ptr<fs::RandomAccessFile> MemoryFileSystem::OpenTable(const std::string& path,
                                                                  fs::TableMode mode,
                                                                  bool create) {
  auto it = files_.find(path);
  if (it == files_.end()) {
    if (!create) Fail(fs::kFileNotFound);
    NeedFolder(path);
    Put(path, "");
    it = files_.find(path);
  }
  Node& node = *it->second;
  bool exclusive = mode == fs::TableMode::kWriteExclusive || mode == fs::TableMode::kReadExclusive;
  if (node.exclusive || (exclusive && node.shared > 0)) Fail(fs::kSharingViolation);
  if (create) node.bytes.clear();
  return std::make_unique<MemoryTableFile>(*this, it->second, exclusive);
}

void MemoryFileSystem::Rename(const std::string& from, const std::string& to) {
  auto it = files_.find(from);
  if (it == files_.end()) Fail(fs::kFileNotFound);
  // As on Linux (the fuzz targets' platform), a held file may be renamed and
  // deleted; its holders keep the old contents.
  auto node = it->second;
  files_.erase(it);
  files_[to] = std::move(node);
}

void MemoryFileSystem::Remove(const std::string& path) {
  auto it = files_.find(path);
  if (it == files_.end()) Fail(fs::kFileNotFound);
  files_.erase(it);
}

void MemoryFileSystem::MakeFolder(const std::string& path) {
  if (DirectoryExists(path) || files_.count(path)) Fail(fs::kFileExists);
  AddFolder(path);
}

void MemoryFileSystem::RemoveFolder(const std::string& path) {
  if (!folders_.erase(path)) Fail(fs::kPathNotFound);
}

}  // namespace tos::fuzz
