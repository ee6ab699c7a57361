// An open table's file and its records: reading them (a chunk at a time,
// for walks through the table), writing an edited one back, appending new
// ones in batches, and keeping the header's record count, the 0x1A end mark
// and the file's size in agreement with the records.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "data/clock.h"
#include "data/files.h"
#include "data/table_errors.h"

namespace tos {

class TableFile {
 public:
  // file: open, its header read and checked (the lengths and the count it
  // declares); path: the table as messages name it.
  TableFile(std::unique_ptr<fs::RandomAccessFile> file, std::string path, uint32_t headerLength,
            uint32_t recordLength, uint32_t count);

  const std::string& Path() const { return path_; }
  Subject Me() const { return Subject{path_, true}; }
  // Records, deleted ones and appended ones not yet written included.
  uint32_t Count() const { return count_; }

  // The record at index (below Count()): valid until the next call on this
  // object. Raises the damaged-table error when the file ends before it.
  // Inline for a record already read with its chunk, as nearly every one is.
  const char* Read(uint32_t index) {
    if (index >= written_) return appended_.data() + (index - written_) * size_t{recordLength_};
    if (index - chunkFirst_ >= chunkCount_) ReadChunk(index);
    return chunk_.data() + (index - chunkFirst_) * size_t{recordLength_};
  }
  // Replaces the record at index (below Count()).
  void Write(uint32_t index, const char* bytes);
  // Adds a record at the end. A batch that fails to reach the disk is lost
  // whole: the count goes back to the records the file holds.
  void Append(const char* bytes);

  // Whether a record was written or appended since the file was opened.
  bool Modified() const { return modified_; }
  // Writes the appended records still held and brings count, end mark and
  // size into agreement.
  void Finish();
  // Closes the file (a write that only fails now is reported).
  void Close();

 private:
  // The bytes of appended records that make a batch.
  size_t BatchSize() const;
  uint64_t Offset(uint32_t index) const {
    return headerLength_ + static_cast<uint64_t>(index) * recordLength_;
  }
  // Reads the chunk of records from index on.
  void ReadChunk(uint32_t index);
  void Touch();
  void FlushAppended();
  void WriteStamp();

  std::unique_ptr<fs::RandomAccessFile> file_;
  std::string path_;
  uint32_t headerLength_;
  uint32_t recordLength_;
  uint32_t count_;    // records, the appended ones not yet written included
  uint32_t written_;  // records in the file
  bool modified_ = false;
  LocalTime stamp_;   // the header's update date, taken at the first change
  // A chunk of records read in one go, from chunkFirst_ on.
  std::string chunk_;
  uint32_t chunkFirst_ = 0;
  uint32_t chunkCount_ = 0;
  // Appended records from written_ on, not yet in the file.
  std::string appended_;
};

}  // namespace tos
