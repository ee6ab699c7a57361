// The file seam: every file the program touches goes through FileSystem, so
// that tests can inject faults (the n-th open, read, write, rename or delete
// failing) where the machine cannot make them for real. The real one is
// files_posix.cpp / files_win.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace tos::fs {

// Failures of this layer are tos::Error whose Code() is the platform's error
// code and whose text is the platform's own words for it (FormatMessage,
// strerror). On Windows the code is Windows' own. On Linux the errno values
// that have a Windows meaning are mapped onto its code (2 not found, 3 path
// not found, 4 too many files, 5 access denied, 32 held by another program,
// 80 exists, 101 disk full); any other errno is given as its negation, so
// that it is never taken for a Windows code, and messages show it as
// "Error de E/S" with the errno itself.
constexpr int kFileNotFound = 2;
constexpr int kPathNotFound = 3;
constexpr int kTooManyOpenFiles = 4;
constexpr int kAccessDenied = 5;
constexpr int kSharingViolation = 32;
constexpr int kLockViolation = 33;
constexpr int kFileExists = 80;
// Disk full is 101 on both platforms (Windows' 112 and 39 are mapped onto it),
// the code the SICE readers and writers have always reported for it.
constexpr int kDiskFull = 101;

// The code of an errno value, as above (POSIX builds only).
int ErrnoCode(int e);
// The number a message shows for a code: the code itself, or the errno an
// unmapped code stands for.
inline int ShownNumber(int code) { return code < 0 ? -code : code; }

// A file open for sequential reading.
class ReadStream {
 public:
  virtual ~ReadStream() = default;
  // Reads up to size bytes; 0 at the end of the file.
  virtual size_t Read(char* buffer, size_t size) = 0;
};

// A file being written from its start. Close reports what the destructor
// cannot: a write that only fails when the data reaches the disk.
class WriteStream {
 public:
  virtual ~WriteStream() = default;
  virtual void Write(const char* data, size_t size) = 0;
  virtual void Close() = 0;
};

// A table file: random access, held shared or exclusive for as long as the
// object lives.
class RandomAccessFile {
 public:
  virtual ~RandomAccessFile() = default;
  // Reads up to size bytes at offset; fewer at the end of the file.
  virtual size_t ReadAt(uint64_t offset, char* buffer, size_t size) = 0;
  virtual void WriteAt(uint64_t offset, const char* data, size_t size) = 0;
  virtual uint64_t Size() = 0;
  virtual void Truncate(uint64_t size) = 0;
  virtual void Close() = 0;
};

enum class TableMode {
  kReadShared,      // read; others may read and write, but not hold it exclusively
  kWriteShared,     // read and write, same sharing
  kWriteExclusive,  // read and write; nobody else may open it at all
  kReadExclusive,   // read only; nobody else may open it at all
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The path of an existing regular file whose name matches the last part
  // of path ignoring letter case (ASCII), or nothing. Folders do not count.
  virtual std::optional<std::string> FindFile(const std::string& path) = 0;
  virtual bool DirectoryExists(const std::string& path) = 0;

  // Opens for reading; other programs may read the file meanwhile but not
  // write it (a file held for writing elsewhere fails with 32).
  virtual std::unique_ptr<ReadStream> OpenRead(const std::string& path) = 0;
  // Creates the file anew, replacing one of that name.
  virtual std::unique_ptr<WriteStream> Create(const std::string& path) = 0;
  // Opens (or, with create, creates anew and truncates) a table file.
  virtual std::unique_ptr<RandomAccessFile> OpenTable(const std::string& path, TableMode mode,
                                                      bool create) = 0;
  // Renames from over to, replacing to when it exists.
  virtual void Rename(const std::string& from, const std::string& to) = 0;
  // Deletes a file; throws on failure (a missing file is a failure too).
  virtual void Remove(const std::string& path) = 0;
  // Makes a folder (its parent must exist); throws on failure, one that is
  // there already included.
  virtual void MakeFolder(const std::string& path) = 0;
  // Removes an empty folder; throws on failure.
  virtual void RemoveFolder(const std::string& path) = 0;
};

// The file system in force: the real one unless a test put another in place.
FileSystem& Current();
FileSystem& Real();

// Puts a file system in force for the lifetime of this object.
class ScopedFileSystem {
 public:
  explicit ScopedFileSystem(FileSystem& fs);
  ~ScopedFileSystem();
  ScopedFileSystem(const ScopedFileSystem&) = delete;
  ScopedFileSystem& operator=(const ScopedFileSystem&) = delete;

 private:
  FileSystem* previous_;
};

// The folder separator of the platform: "\" on Windows, "/" elsewhere.
extern const char kSeparator;
// Whether c separates folders in a path: "\" and "/" on Windows, "/" elsewhere.
bool IsSeparator(char c);
// Whether the first size characters of path are a root that keeps its
// separator as a folder of its own ("C:\" on Windows; "/" is one everywhere).
bool IsDriveRoot(const std::string& path, size_t size);

// Folder and name joined with one separator (none added when the folder
// already ends in one).
std::string Join(const std::string& folder, const std::string& name);
// The folder part of a path (without its separator), "" when it has none.
std::string Parent(const std::string& path);
// The name part of a path.
std::string BaseName(const std::string& path);
// Whether the name part of a path has an extension (a dot).
bool HasExtension(const std::string& path);
// The extension of the name part, dot included; "" when it has none.
std::string Extension(const std::string& path);
// The path with the extension of its name part replaced (or added).
std::string WithExtension(const std::string& path, const std::string& ext);

}  // namespace tos::fs
