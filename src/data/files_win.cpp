// The real file system on Windows: CreateFileW with share modes does the
// sharing (0 for exclusive tables, so a second open fails with 32).
#include <windows.h>

#include <vector>

#include "data/error.h"
#include "data/files.h"
#include "data/text.h"

namespace tos::fs {

const char kSeparator = '\\';

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsDriveRoot(const std::string& path, size_t size) { return size == 3 && path[1] == ':'; }

namespace {

std::wstring Wide(const std::string& utf8) {
  std::u16string w = text::Utf8ToUtf16(utf8);
  return std::wstring(w.begin(), w.end());
}

std::string SystemText(DWORD code) {
  wchar_t* buffer = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                               FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string out;
  if (n && buffer) {
    out = text::Utf16ToUtf8(std::u16string_view(reinterpret_cast<char16_t*>(buffer), n));
    LocalFree(buffer);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' ' ||
                          out.back() == '.'))
    out.pop_back();
  if (out.empty()) out = "Error " + std::to_string(code);
  return out;
}

int MapCode(DWORD code) {
  if (code == ERROR_DISK_FULL || code == ERROR_HANDLE_DISK_FULL) return kDiskFull;
  return static_cast<int>(code);
}

[[noreturn]] void Fail(DWORD code) { throw Error(SystemText(code), MapCode(code)); }
[[noreturn]] void FailLast() { Fail(GetLastError()); }

class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE Get() const { return h_; }
  void Close() {
    HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    if (h != INVALID_HANDLE_VALUE && !CloseHandle(h)) FailLast();
  }

 private:
  HANDLE h_;
};

uint64_t SizeOf(HANDLE h) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(h, &size)) FailLast();
  return static_cast<uint64_t>(size.QuadPart);
}

class WinReadStream final : public ReadStream {
 public:
  explicit WinReadStream(HANDLE h) : h_(h) {}
  size_t Read(char* buffer, size_t size) override {
    DWORD got = 0;
    DWORD want = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    if (!ReadFile(h_.Get(), buffer, want, &got, nullptr)) FailLast();
    return got;
  }

 private:
  Handle h_;
};

void WriteAll(HANDLE h, const char* data, size_t size) {
  while (size > 0) {
    DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    DWORD done = 0;
    if (!WriteFile(h, data, chunk, &done, nullptr)) FailLast();
    if (done == 0) Fail(ERROR_DISK_FULL);
    data += done;
    size -= done;
  }
}

class WinWriteStream final : public WriteStream {
 public:
  explicit WinWriteStream(HANDLE h) : h_(h) { buffer_.reserve(kBuffer); }
  void Write(const char* data, size_t size) override {
    if (buffer_.size() + size > kBuffer) {
      Flush();
      if (size >= kBuffer) {
        WriteAll(h_.Get(), data, size);
        return;
      }
    }
    buffer_.insert(buffer_.end(), data, data + size);
  }
  void Close() override {
    Flush();
    h_.Close();
  }

 private:
  static constexpr size_t kBuffer = 1 << 16;
  void Flush() {
    WriteAll(h_.Get(), buffer_.data(), buffer_.size());
    buffer_.clear();
  }
  Handle h_;
  std::vector<char> buffer_;
};

// Records are read and written where the file pointer is set, not at an
// OVERLAPPED's offset: given an OVERLAPPED, Wine tells a completion port of
// every read and write, a round trip to its server each, although this
// program opens no port (a fifth of the time of importing a million
// assignments under Wine).
class WinTableFile final : public RandomAccessFile {
 public:
  explicit WinTableFile(HANDLE h) : h_(h) {}
  size_t ReadAt(uint64_t offset, char* buffer, size_t size) override {
    Seek(offset);
    size_t done = 0;
    while (done < size) {
      DWORD want = (size - done) > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size - done);
      DWORD got = 0;
      if (!ReadFile(h_.Get(), buffer + done, want, &got, nullptr)) FailLast();
      if (got == 0) break;
      done += got;
    }
    return done;
  }
  void WriteAt(uint64_t offset, const char* data, size_t size) override {
    Seek(offset);
    WriteAll(h_.Get(), data, size);
  }
  uint64_t Size() override { return SizeOf(h_.Get()); }
  void Truncate(uint64_t size) override {
    Seek(size);
    if (!SetEndOfFile(h_.Get())) FailLast();
  }
  void Close() override { h_.Close(); }

 private:
  void Seek(uint64_t offset) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(h_.Get(), to, nullptr, FILE_BEGIN)) FailLast();
  }
  Handle h_;
};

class WinFileSystem final : public FileSystem {
 public:
  std::optional<std::string> FindFile(const std::string& path) override {
    DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
      return std::nullopt;
    return path;
  }

  bool DirectoryExists(const std::string& path) override {
    if (path.empty()) return false;
    DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  std::unique_ptr<ReadStream> OpenRead(const std::string& path) override {
    HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) FailLast();
    return std::make_unique<WinReadStream>(h);
  }

  std::unique_ptr<WriteStream> Create(const std::string& path) override {
    HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) FailLast();
    return std::make_unique<WinWriteStream>(h);
  }

  std::unique_ptr<RandomAccessFile> OpenTable(const std::string& path, TableMode mode,
                                              bool create) override {
    DWORD access = GENERIC_READ;
    if (mode == TableMode::kWriteShared || mode == TableMode::kWriteExclusive)
      access |= GENERIC_WRITE;
    DWORD share = (mode == TableMode::kReadShared || mode == TableMode::kWriteShared)
                      ? (FILE_SHARE_READ | FILE_SHARE_WRITE)
                      : 0;
    HANDLE h = CreateFileW(Wide(path).c_str(), access, share, nullptr,
                           create ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) FailLast();
    auto file = std::make_unique<WinTableFile>(h);
    if (create) file->Truncate(0);
    return file;
  }

  void Rename(const std::string& from, const std::string& to) override {
    if (!MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING))
      FailLast();
  }

  void Remove(const std::string& path) override {
    if (!DeleteFileW(Wide(path).c_str())) FailLast();
  }

  void MakeFolder(const std::string& path) override {
    if (!CreateDirectoryW(Wide(path).c_str(), nullptr)) FailLast();
  }

  void RemoveFolder(const std::string& path) override {
    if (!RemoveDirectoryW(Wide(path).c_str())) FailLast();
  }
};

}  // namespace

FileSystem& Real() {
  static WinFileSystem fs;
  return fs;
}

}  // namespace tos::fs
