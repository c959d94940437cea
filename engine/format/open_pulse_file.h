// A pulse file held open for work on its T record headers in place: the file
// is validated once when it is opened, each record header is then reached
// directly through the offset table, and the word sum is kept up to date as
// headers are replaced, so that a seal costs no pass over the file.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "io/file_io.h"
#include "orvane/messages.h"
#include "orvane/pulse_file.h"

namespace orvane {

class OpenPulseFile {
 public:
  // Opens path and checks its structure as the mapped view does (magic
  // number, zero word sum, offset table, every record inside the file), in
  // one pass over the file. Null when it is not a valid pulse file; why
  // tells the first problem (CantOpenForReading when it cannot be opened in
  // mode at all).
  static std::unique_ptr<OpenPulseFile> Open(const std::string& path, io::File::Mode mode,
                                             Outcome* why = nullptr);

  const PulseFileHeader& Header() const { return header_; }
  uint64_t Length() const { return length_; }
  io::File& Stream() { return *file_; }

  // Offset of record header `entry` of the offset table (any kind).
  std::optional<uint32_t> EntryOffset(uint64_t entry);
  // Reads size bytes at position; false unless all of them were there.
  bool ReadAt(uint64_t position, uint8_t* out, size_t size);
  // The header of T record n as the file holds it now: entry n must be
  // below the TCNT the file now holds and the header wholly inside the file.
  std::optional<TRecordHeader> ReadTRecord(uint32_t n);

  enum class StepOutcome {
    Done,
    Unreadable,       // entry n is not a T record, or its header cannot be read
    Refused,          // the record header would not lie wholly inside the file
    ReadFailed,       // the bytes the seal word depends on cannot be read
    WriteFailed,      // the record header cannot be written
    SealSeekFailed,   // the end of the file cannot be reached
    SealWriteFailed,  // the seal word cannot be appended
  };
  // Overwrites the header of T record n in place and appends the word that
  // brings the word sum back to zero: one record step, after which the file
  // is valid again. The new sum is worked out from the words the header
  // touches, without a pass over the file. A file of odd length first gets a
  // zero byte, so that the word starts on an even offset. When the step
  // cannot be completed the old header is written back, so that the file is
  // left as it was before the step.
  StepOutcome WriteTRecordSealed(uint32_t n, const TRecordHeader& record);
  // Overwrites the header of T record n in place and leaves the word sum
  // wrong, for a seal to restore; false unless the whole header was
  // written inside the file.
  bool WriteTRecord(uint32_t n, const TRecordHeader& record);

 private:
  OpenPulseFile(std::unique_ptr<io::File> file, const PulseFileHeader& header, uint64_t length);
  std::optional<uint64_t> TRecordPosition(uint32_t n);
  bool WriteAt(uint64_t position, const uint8_t* data, size_t size);

  std::unique_ptr<io::File> file_;
  PulseFileHeader header_;
  uint64_t length_;
  uint16_t sum_ = 0;  // word sum of the file as it is now
};

}  // namespace orvane
