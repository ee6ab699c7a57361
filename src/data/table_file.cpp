#include "data/table_file.h"

#include <algorithm>
#include <cstring>

#include "data/dbf_format.h"
#include "data/error.h"

namespace tos {

namespace {

// Records are read in chunks of about this size while walking. Appended
// ones are written out in batches of a sixteenth of what the file holds,
// from 64 KiB to 1 MiB: a small table keeps a small buffer, and a large one
// is written in few calls (a write that grows a file costs as much as
// copying some 100 KiB).
constexpr size_t kReadChunk = 64 * 1024;
constexpr size_t kAppendBatch = 64 * 1024;
constexpr size_t kAppendBatchMax = 1024 * 1024;

}  // namespace

TableFile::TableFile(std::unique_ptr<fs::RandomAccessFile> file, std::string path,
                     uint32_t headerLength, uint32_t recordLength, uint32_t count)
    : file_(std::move(file)),
      path_(std::move(path)),
      headerLength_(headerLength),
      recordLength_(recordLength),
      count_(count),
      written_(count) {
  appended_.reserve(kAppendBatch + recordLength_ + 1);
}

void TableFile::ReadChunk(uint32_t index) {
  size_t len = recordLength_;
  uint32_t n = static_cast<uint32_t>(std::max<size_t>(1, kReadChunk / len));
  n = std::min(n, written_ - index);
  chunk_.resize(static_cast<size_t>(n) * len);
  chunkCount_ = 0;
  size_t got = Io(IoWhat::kRead, Me(),
                  [&] { return file_->ReadAt(Offset(index), chunk_.data(), chunk_.size()); });
  if (got < len)
    throw Error("La tabla " + path_ + " está dañada: el archivo termina antes del registro " +
                std::to_string(index + 1));
  chunkFirst_ = index;
  chunkCount_ = static_cast<uint32_t>(got / len);
}

void TableFile::Write(uint32_t index, const char* bytes) {
  Touch();
  size_t len = recordLength_;
  if (index >= written_) {
    std::memcpy(appended_.data() + (index - written_) * len, bytes, len);
    return;
  }
  Io(IoWhat::kWrite, Me(), [&] { file_->WriteAt(Offset(index), bytes, len); });
  // The chunk read keeps the record as the file now holds it.
  if (index >= chunkFirst_ && index < chunkFirst_ + chunkCount_)
    std::memcpy(chunk_.data() + (index - chunkFirst_) * len, bytes, len);
}

void TableFile::Append(const char* bytes) {
  if (count_ == UINT32_MAX || Offset(count_ + 1) + 1 > (uint64_t{1} << 32))
    throw Error("La tabla " + path_ + " está llena: no caben más registros");
  Touch();
  appended_.append(bytes, recordLength_);
  ++count_;
  if (appended_.size() >= BatchSize()) FlushAppended();
}

// Writes the appended records, the end mark after them and the new count,
// so that the file is whole again after every batch.
void TableFile::FlushAppended() {
  if (appended_.empty()) return;
  uint32_t n = static_cast<uint32_t>(appended_.size() / recordLength_);
  try {
    // The end mark goes with the batch; the buffer keeps its room.
    appended_ += dbf::kEndOfFile;
    Io(IoWhat::kWrite, Me(), [&] { file_->WriteAt(Offset(written_), appended_.data(), appended_.size()); });
  } catch (...) {
    // The batch is lost; the count stays with the records the file holds.
    appended_.clear();
    count_ = written_;
    throw;
  }
  appended_.clear();
  written_ += n;
  appended_.reserve(BatchSize() + recordLength_ + 1);
  WriteStamp();
}

size_t TableFile::BatchSize() const {
  return std::clamp<size_t>(Offset(written_) / 16, kAppendBatch, kAppendBatchMax);
}

void TableFile::WriteStamp() {
  char seven[7];
  dbf::StampHeader(seven, stamp_, written_);
  Io(IoWhat::kWrite, Me(), [&] { file_->WriteAt(1, seven, sizeof seven); });
}

void TableFile::Touch() {
  if (!modified_) stamp_ = SystemClock().Now();
  modified_ = true;
}

void TableFile::Finish() {
  FlushAppended();
  uint64_t end = Offset(written_);
  char mark = dbf::kEndOfFile;
  Io(IoWhat::kWrite, Me(), [&] {
    // Shrink first: a half-written batch or another writer's trailing bytes
    // go, and on a full disk that frees the byte the end mark needs.
    uint64_t size = file_->Size();
    if (size > end + 1) file_->Truncate(end);
    file_->WriteAt(end, &mark, 1);
  });
  WriteStamp();
}

void TableFile::Close() {
  Io(IoWhat::kWrite, Me(), [&] { file_->Close(); });
}

}  // namespace tos
