// Mending a damaged pulse file into a new one. The input is only read:
// both write a new file through the file layer's replacement file (under a
// temporary name, renamed into place only when complete) and refuse an
// output that is the input, by any name or link.
//
// Repair reseals a file whose structure is sound but whose word sum is not
// zero: every byte is copied as it is, and one seal word (three bytes after
// an odd length) is appended so that the sum comes out as zero, as sealing
// does. A file that is already valid is copied unchanged.
//
// Salvage writes a new sealed pulse file of every record that lies whole
// inside a damaged file, in the writer's layout: the file header as it was
// (its counts set to the records kept), and the kept records in their table
// order. Records after a dropped one move up in their kind's numbering.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "orvane/messages.h"
#include "orvane/pulse_file_view.h"

namespace orvane {

// One thing wrong with the input, as the structure check found it.
struct FoundProblem {
  Outcome what;
  std::string record;              // "T1", ...; empty for the file as a whole
  std::optional<uint64_t> offset;  // as StructureProblem::offset
};
// Every problem of the input, the word sum's included, in the order met.
using FoundProblems = std::vector<FoundProblem>;

struct RepairResult {
  // CantOpenForReading, NotAValidPulseFile (the structure is not sound:
  // reason names the first problem), CantOpenForWriting (the output is the
  // input, or cannot be created), BinaryWriteErrorOn, Cancelled... or None.
  Outcome outcome;
  FoundProblems found;
  uint16_t sum = 0;        // the input's word sum
  uint64_t sealBytes = 0;  // bytes appended: 0 when the input was valid
  uint64_t length = 0;     // the output's length
};

RepairResult RepairPulseFile(const std::string& input, const std::string& output);

// A record of the input's table that the salvage left out.
struct DroppedRecord {
  std::string name;                // "T1", ...
  uint64_t entry = 0;              // its index in the offset table
  std::optional<uint32_t> offset;  // the table's entry; none when the entry itself lies outside the file
  std::string why;                 // "Record T1 lies outside the file", ...
};

// A record written to the output: its name in the input and in the output.
struct KeptRecord {
  std::string from, to;
  uint64_t samples = 0;
};

struct SalvageResult {
  // CantOpenForReading, BinaryReadErrorOn (the input does not hold a whole
  // file header: nothing to salvage), CantOpenForWriting, BinaryWriteErrorOn,
  // ... or None.
  Outcome outcome;
  FoundProblems found;
  std::vector<KeptRecord> kept;
  std::vector<DroppedRecord> dropped;
  uint64_t length = 0;  // the output's length
};

SalvageResult SalvagePulseFile(const std::string& input, const std::string& output);

}  // namespace orvane
