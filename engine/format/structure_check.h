// The check of a pulse file's structure that every reader of the binary
// form decides by: magic number, word sum, header, offset table, and every
// record's header and samples inside the file. The mapped view runs it over
// its mapping, pulse power over an open file.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "orvane/pulse_file_view.h"

namespace orvane {

// Where one record of the table lies.
struct RecordExtent {
  RecordType type;
  uint32_t number;
  uint64_t entry;
  uint32_t offset;
  bool headerInside = false;
  uint64_t declaredSamples = 0;
  uint64_t availableSamples = 0;  // of the declared ones, those inside the file
};

// Reads the bytes the check needs beyond the header.
class StructureSource {
 public:
  virtual ~StructureSource() = default;
  // False unless all n bytes at position were read.
  virtual bool ReadAt(uint64_t position, uint8_t* out, size_t n) = 0;
};

struct StructureReport {
  uint16_t sum = 0;
  bool hasHeader = false;
  PulseFileHeader header;
  std::vector<RecordExtent> records;
  size_t firstOf[4] = {0, 0, 0, 0};                   // where T, R, I begin in records, and the end
  std::vector<std::pair<Failure, int64_t>> problems;  // code and record index (-1: the file)
};

// Checks a file of length bytes whose first bytes (up to a whole header)
// are front, whose word sum is sum, and whose further bytes source reads.
// stopAtFirst: stop at the first problem, as a full check does; otherwise
// go as far as the file allows, for salvage.
StructureReport CheckStructure(std::span<const uint8_t> front, uint64_t length, uint16_t sum,
                               StructureSource& source, bool stopAtFirst);

// InvalidRecordCount when the offset table runs past length.
Failure CheckOffsetTable(const PulseFileHeader& header, uint64_t length);

}  // namespace orvane
