// Writing a new sealed pulse file from a file header and records held in
// memory, laid out as the import lays it out: the header, the offset table,
// the records one after another in table order (T, then R, then I) from the
// table's end, a 16-bit zero after an odd number of T or I samples, and one
// seal word. The file is written through the file layer's replacement file:
// under a temporary name beside the target that no sweep of stale files
// touches, with the old file's mode and owner, through a symbolic link to
// the file it names, never over a file with other hard links or without
// write permission; flushed to the disk and renamed into place only when
// complete, so that the target is either the old file or the whole new one.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "orvane/format.h"
#include "orvane/messages.h"

namespace orvane {

struct RecordToWrite {
  RecordType type;
  std::span<const uint8_t> header;   // the record header as stored, DescribeRecord(type).header.size bytes
  std::span<const uint8_t> samples;  // the samples as stored: little-endian int16 (T, I) or float32 (R)
};

// Writes path from fileHeader (316 bytes) and records, taken in table order
// kind by kind, each kind's records in the order given. The writer sets the
// magic number, the three counts and each record's SIZE from its samples
// (a T record without samples keeps a SIZE of zero or less, so that a file
// read and written back is unchanged); every other field is written as
// given. Nothing is written when a header has the wrong size, a record
// holds more samples than its SIZE can count, or a record would start
// beyond the table's 32-bit offsets. The outcome names path and, when the
// system refused, its reason and error number.
Outcome WritePulseFile(const std::string& path, std::span<const uint8_t> fileHeader,
                       std::span<const RecordToWrite> records);

}  // namespace orvane
