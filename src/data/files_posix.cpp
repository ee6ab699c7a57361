// The real file system on Linux and other POSIX systems. Sharing is done with
// flock locks, which belong to the open file (so a second descriptor in the
// same process is excluded too, as Windows' share modes do) and which a file
// opened for reading only can hold exclusively as well. A table also takes a
// record lock over the whole file, of the kind that belongs to the open file
// too (F_OFD_SETLK), because other programs lock with fcntl or lockf and
// never see a flock, nor it theirs.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "data/error.h"
#include "data/files.h"
#include "data/text.h"

namespace tos::fs {

const char kSeparator = '/';

bool IsSeparator(char c) { return c == '/'; }

bool IsDriveRoot(const std::string&, size_t) { return false; }

int ErrnoCode(int e) {
  switch (e) {
    case ENOENT: return kFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG: return kPathNotFound;
    case EMFILE:
    case ENFILE: return kTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return kAccessDenied;
    case EAGAIN:
    case EBUSY:
    case ETXTBSY: return kSharingViolation;
    case EEXIST: return kFileExists;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
      return kDiskFull;
    default: return -e;
  }
}

namespace {

[[noreturn]] void Fail(int e) { throw Error(std::strerror(e), ErrnoCode(e)); }

[[noreturn]] void FailLocked() {
  throw Error("The file is in use by another program", kSharingViolation);
}

// Locks the whole file, shared or exclusive; false when another holder
// refuses it.
bool Lock(int fd, bool exclusive) {
  for (;;) {
    if (::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0) return true;
    if (errno == EWOULDBLOCK) return false;
    if (errno != EINTR) Fail(errno);
  }
}

// A record lock over the whole file, held until the descriptor is closed:
// a write lock for a file open for writing that we hold exclusively, else a
// read lock (which keeps writers out; for a file we may only read, the flock
// keeps out the other readers). False when another holder refuses it. Where
// the kernel or the file system has no such locks, the flock alone stands.
bool LockRecords(int fd, bool write) {
#ifdef F_OFD_SETLK
  struct flock lock {};
  lock.l_type = write ? F_WRLCK : F_RDLCK;
  lock.l_whence = SEEK_SET;  // from the start to the end, however the file grows
  for (;;) {
    if (::fcntl(fd, F_OFD_SETLK, &lock) == 0) return true;
    if (errno == EAGAIN || errno == EACCES) return false;
    if (errno == EINVAL || errno == ENOLCK || errno == EOPNOTSUPP) return true;
    if (errno != EINTR) Fail(errno);
  }
#else
  (void)fd;
  (void)write;
  return true;
#endif
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Get() const { return fd_; }
  // Hands the descriptor over to its new owner.
  int Release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void Close() {
    int fd = fd_;
    fd_ = -1;
    if (fd >= 0 && ::close(fd) != 0) Fail(errno);
  }

 private:
  int fd_;
};

class PosixReadStream final : public ReadStream {
 public:
  explicit PosixReadStream(int fd) : fd_(fd) {}
  size_t Read(char* buffer, size_t size) override {
    for (;;) {
      ssize_t n = ::read(fd_.Get(), buffer, size);
      if (n >= 0) return static_cast<size_t>(n);
      if (errno != EINTR) Fail(errno);
    }
  }

 private:
  Descriptor fd_;
};

class PosixWriteStream final : public WriteStream {
 public:
  explicit PosixWriteStream(int fd) : fd_(fd) { buffer_.reserve(kBuffer); }
  void Write(const char* data, size_t size) override {
    if (buffer_.size() + size > kBuffer) {
      Flush();
      if (size >= kBuffer) {
        WriteAll(data, size);
        return;
      }
    }
    buffer_.insert(buffer_.end(), data, data + size);
  }
  void Close() override {
    Flush();
    fd_.Close();
  }

 private:
  static constexpr size_t kBuffer = 1 << 16;
  void Flush() {
    WriteAll(buffer_.data(), buffer_.size());
    buffer_.clear();
  }
  void WriteAll(const char* data, size_t size) {
    while (size > 0) {
      ssize_t n = ::write(fd_.Get(), data, size);
      if (n < 0) {
        if (errno == EINTR) continue;
        Fail(errno);
      }
      data += n;
      size -= static_cast<size_t>(n);
    }
  }
  Descriptor fd_;
  std::vector<char> buffer_;
};

class PosixTableFile final : public RandomAccessFile {
 public:
  explicit PosixTableFile(int fd) : fd_(fd) {}
  size_t ReadAt(uint64_t offset, char* buffer, size_t size) override {
    size_t done = 0;
    while (done < size) {
      ssize_t n = ::pread(fd_.Get(), buffer + done, size - done, static_cast<off_t>(offset + done));
      if (n < 0) {
        if (errno == EINTR) continue;
        Fail(errno);
      }
      if (n == 0) break;
      done += static_cast<size_t>(n);
    }
    return done;
  }
  void WriteAt(uint64_t offset, const char* data, size_t size) override {
    size_t done = 0;
    while (done < size) {
      ssize_t n = ::pwrite(fd_.Get(), data + done, size - done, static_cast<off_t>(offset + done));
      if (n < 0) {
        if (errno == EINTR) continue;
        Fail(errno);
      }
      done += static_cast<size_t>(n);
    }
  }
  uint64_t Size() override {
    struct stat st {};
    if (fstat(fd_.Get(), &st) != 0) Fail(errno);
    return static_cast<uint64_t>(st.st_size);
  }
  void Truncate(uint64_t size) override {
    if (ftruncate(fd_.Get(), static_cast<off_t>(size)) != 0) Fail(errno);
  }
  void Close() override { fd_.Close(); }

 private:
  Descriptor fd_;
};

bool EqualIgnoringAsciiCase(const char* a, const std::string& b) {
  size_t n = std::strlen(a);
  if (n != b.size()) return false;
  for (size_t i = 0; i < n; ++i) {
    if (text::AsciiLower(a[i]) != text::AsciiLower(b[i])) return false;
  }
  return true;
}

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

class PosixFileSystem final : public FileSystem {
 public:
  std::optional<std::string> FindFile(const std::string& path) override {
    if (IsRegularFile(path)) return path;
    std::string folder = Parent(path);
    std::string name = BaseName(path);
    if (name.empty()) return std::nullopt;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return std::nullopt;
    std::optional<std::string> found;
    while (struct dirent* entry = ::readdir(dir)) {
      if (!EqualIgnoringAsciiCase(entry->d_name, name)) continue;
      std::string candidate = folder.empty() ? std::string(entry->d_name)
                                             : Join(folder, entry->d_name);
      if (IsRegularFile(candidate)) {
        found = candidate;
        break;
      }
    }
    ::closedir(dir);
    return found;
  }

  bool DirectoryExists(const std::string& path) override {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }

  std::unique_ptr<ReadStream> OpenRead(const std::string& path) override {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) Fail(errno);
    Descriptor guard(fd);
    struct stat st {};
    if (fstat(fd, &st) != 0) Fail(errno);
    if (S_ISDIR(st.st_mode)) Fail(EISDIR);
    if (!Lock(fd, false)) FailLocked();
    return std::make_unique<PosixReadStream>(guard.Release());
  }

  std::unique_ptr<WriteStream> Create(const std::string& path) override {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) Fail(errno);
    return std::make_unique<PosixWriteStream>(fd);
  }

  std::unique_ptr<RandomAccessFile> OpenTable(const std::string& path, TableMode mode,
                                              bool create) override {
    bool write = mode != TableMode::kReadShared;
    int flags = (write ? O_RDWR : O_RDONLY) | O_CLOEXEC | (create ? O_CREAT : 0);
    int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0 && mode == TableMode::kReadExclusive && (errno == EACCES || errno == EROFS)) {
      // A file we may only read is held exclusively all the same.
      fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
      if (fd < 0) Fail(errno);
      Descriptor guard(fd);
      if (!Lock(fd, true) || !LockRecords(fd, false)) FailLocked();
      return std::make_unique<PosixTableFile>(guard.Release());
    }
    if (fd < 0) Fail(errno);
    Descriptor guard(fd);
    struct stat st {};
    if (fstat(fd, &st) != 0) Fail(errno);
    if (S_ISDIR(st.st_mode)) Fail(EISDIR);
    bool exclusive = mode == TableMode::kWriteExclusive || mode == TableMode::kReadExclusive;
    if (!Lock(fd, exclusive) || !LockRecords(fd, write && exclusive)) FailLocked();
    // Truncate only once the lock is ours: a table another program holds is
    // never emptied under it. A file that is empty already is left as it is:
    // on ext4 a truncation to nothing makes its close wait for the disk.
    if (create) {
      if (fstat(fd, &st) != 0) Fail(errno);
      if (st.st_size != 0 && ftruncate(fd, 0) != 0) Fail(errno);
    }
    return std::make_unique<PosixTableFile>(guard.Release());
  }

  void Rename(const std::string& from, const std::string& to) override {
    if (::rename(from.c_str(), to.c_str()) != 0) Fail(errno);
  }

  void Remove(const std::string& path) override {
    if (::unlink(path.c_str()) != 0) Fail(errno);
  }

  void MakeFolder(const std::string& path) override {
    if (::mkdir(path.c_str(), 0777) != 0) Fail(errno);
  }

  void RemoveFolder(const std::string& path) override {
    if (::rmdir(path.c_str()) != 0) Fail(errno);
  }
};

}  // namespace

FileSystem& Real() {
  static PosixFileSystem fs;
  return fs;
}

}  // namespace tos::fs
