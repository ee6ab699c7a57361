#include "support/faulty_fs.h"

#include <algorithm>

#include "data/error.h"
#include "data/text.h"

namespace tos::test {

namespace {

bool Matches(const std::string& path, const std::string& part) {
  if (part.empty()) return true;
  std::string p = text::AsciiLower(path);
  return p.find(text::AsciiLower(part)) != std::string::npos;
}

class FaultyReadStream final : public fs::ReadStream {
 public:
  FaultyReadStream(FaultyFileSystem& owner, std::string path, std::unique_ptr<fs::ReadStream> inner)
      : owner_(owner), path_(std::move(path)), inner_(std::move(inner)) {
    owner_.HandleOpened();
  }
  ~FaultyReadStream() override { owner_.HandleClosed(); }
  size_t Read(char* buffer, size_t size) override {
    owner_.Check(FsOp::kRead, path_);
    if (owner_.ReadChunk() > 0) size = std::min(size, owner_.ReadChunk());
    return inner_->Read(buffer, size);
  }

 private:
  FaultyFileSystem& owner_;
  std::string path_;
  std::unique_ptr<fs::ReadStream> inner_;
};

class FaultyWriteStream final : public fs::WriteStream {
 public:
  FaultyWriteStream(FaultyFileSystem& owner, std::string path,
                    std::unique_ptr<fs::WriteStream> inner)
      : owner_(owner), path_(std::move(path)), inner_(std::move(inner)) {
    owner_.HandleOpened();
  }
  ~FaultyWriteStream() override { owner_.HandleClosed(); }
  void Write(const char* data, size_t size) override {
    if (const Fault* partial = owner_.Check(FsOp::kWrite, path_, true)) {
      inner_->Write(data, size / 2);
      owner_.Throw(*partial);
    }
    inner_->Write(data, size);
  }
  void Close() override {
    owner_.Check(FsOp::kClose, path_);
    inner_->Close();
  }

 private:
  FaultyFileSystem& owner_;
  std::string path_;
  std::unique_ptr<fs::WriteStream> inner_;
};

class FaultyTableFile final : public fs::RandomAccessFile {
 public:
  FaultyTableFile(FaultyFileSystem& owner, std::string path,
                  std::unique_ptr<fs::RandomAccessFile> inner)
      : owner_(owner), path_(std::move(path)), inner_(std::move(inner)) {
    owner_.HandleOpened();
  }
  ~FaultyTableFile() override { owner_.HandleClosed(); }
  size_t ReadAt(uint64_t offset, char* buffer, size_t size) override {
    owner_.Check(FsOp::kRead, path_);
    return inner_->ReadAt(offset, buffer, size);
  }
  void WriteAt(uint64_t offset, const char* data, size_t size) override {
    if (const Fault* partial = owner_.Check(FsOp::kWrite, path_, true)) {
      inner_->WriteAt(offset, data, size / 2);
      owner_.Throw(*partial);
    }
    inner_->WriteAt(offset, data, size);
  }
  uint64_t Size() override { return inner_->Size(); }
  void Truncate(uint64_t size) override {
    owner_.Check(FsOp::kWrite, path_);
    inner_->Truncate(size);
  }
  void Close() override {
    owner_.Check(FsOp::kClose, path_);
    inner_->Close();
  }

 private:
  FaultyFileSystem& owner_;
  std::string path_;
  std::unique_ptr<fs::RandomAccessFile> inner_;
};

}  // namespace

std::string FaultText(int code) {
  switch (code) {
    case fs::kFileNotFound: return "No such file or directory";
    case fs::kPathNotFound: return "Not a directory";
    case fs::kTooManyOpenFiles: return "Too many open files";
    case fs::kAccessDenied: return "Permission denied";
    case fs::kSharingViolation: return "The file is in use by another program";
    case fs::kLockViolation: return "The file is locked by another program";
    case fs::kDiskFull: return "No space left on device";
    default: return "Input/output error";
  }
}

FaultyFileSystem::FaultyFileSystem(fs::FileSystem& inner) : inner_(inner) {}

FaultyFileSystem& FaultyFileSystem::Add(Fault fault) {
  faults_.push_back({std::move(fault), 0});
  return *this;
}

FaultyFileSystem& FaultyFileSystem::Fail(FsOp op, int nth, int code, std::string pathPart) {
  Fault f;
  f.op = op;
  f.nth = nth;
  f.code = code;
  f.pathPart = std::move(pathPart);
  return Add(std::move(f));
}

void FaultyFileSystem::Clear() {
  faults_.clear();
  readChunk_ = 0;
}

int FaultyFileSystem::Count(FsOp op, const std::string& pathPart) const {
  return static_cast<int>(std::count_if(seen_.begin(), seen_.end(), [&](const Seen& s) {
    return s.op == op && Matches(s.path, pathPart);
  }));
}

const Fault* FaultyFileSystem::Check(FsOp op, const std::string& path, bool allowPartial) {
  seen_.push_back({op, path});
  const Fault* due = nullptr;
  // Every armed fault counts the operation, even when an earlier one strikes.
  for (Armed& a : faults_) {
    if (a.fault.op != op || !Matches(path, a.fault.pathPart)) continue;
    ++a.seen;
    bool strikes = a.fault.persist ? a.seen >= a.fault.nth : a.seen == a.fault.nth;
    if (strikes && !due) due = &a.fault;
  }
  if (!due) return nullptr;
  ++injected_;
  if (allowPartial && due->partialWrite) return due;
  Throw(*due);
}

void FaultyFileSystem::Throw(const Fault& fault) {
  throw Error(FaultText(fault.code), fault.code);
}

std::optional<std::string> FaultyFileSystem::FindFile(const std::string& path) {
  return inner_.FindFile(path);
}

bool FaultyFileSystem::DirectoryExists(const std::string& path) {
  return inner_.DirectoryExists(path);
}

std::unique_ptr<fs::ReadStream> FaultyFileSystem::OpenRead(const std::string& path) {
  Check(FsOp::kOpen, path);
  return std::make_unique<FaultyReadStream>(*this, path, inner_.OpenRead(path));
}

std::unique_ptr<fs::WriteStream> FaultyFileSystem::Create(const std::string& path) {
  Check(FsOp::kOpen, path);
  return std::make_unique<FaultyWriteStream>(*this, path, inner_.Create(path));
}

std::unique_ptr<fs::RandomAccessFile> FaultyFileSystem::OpenTable(const std::string& path,
                                                                  fs::TableMode mode,
                                                                  bool create) {
  Check(FsOp::kOpen, path);
  return std::make_unique<FaultyTableFile>(*this, path, inner_.OpenTable(path, mode, create));
}

void FaultyFileSystem::Rename(const std::string& from, const std::string& to) {
  Check(FsOp::kRename, from);
  inner_.Rename(from, to);
}

void FaultyFileSystem::Remove(const std::string& path) {
  Check(FsOp::kRemove, path);
  inner_.Remove(path);
}

void FaultyFileSystem::MakeFolder(const std::string& path) {
  Check(FsOp::kMakeFolder, path);
  inner_.MakeFolder(path);
}

void FaultyFileSystem::RemoveFolder(const std::string& path) {
  Check(FsOp::kRemove, path);
  inner_.RemoveFolder(path);
}

}  // namespace tos::test
