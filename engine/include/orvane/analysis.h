// Figures of a pulse file's records, and the differences between two pulse
// files, as plain data for front ends (orvane-cli stats and diff, the
// Python module). Both read the samples from a mapped view through the
// guarded reads of mapped_read.h: a file cut short under the view gives no
// result instead of a crash.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "orvane/format.h"
#include "orvane/messages.h"
#include "orvane/pulse_file_view.h"

namespace orvane {

// The figures of one record's samples. Over 16-bit samples (T, I) every
// figure is exact but for the rounding of mean and rms; reals (R) are
// summed in double per block of samples and the blocks in long double.
// minimum, maximum, mean and rms cover the finite samples only (every
// sample of a 16-bit record); they are NaN when there is none.
struct RecordStats {
  RecordType type = RecordType::T;
  uint32_t number = 0;
  std::string name;  // "T0", "R2", ...
  uint64_t count = 0;
  double minimum = 0, maximum = 0, mean = 0, rms = 0;
  int64_t sum = 0;              // 16-bit samples: their exact sum; 0 for reals
  uint64_t nanCount = 0;        // reals: NaN samples
  uint64_t infiniteCount = 0;   // reals: infinite samples, either sign
  uint64_t atMinimumLimit = 0;  // 16-bit samples at -32768
  uint64_t atMaximumLimit = 0;  // 16-bit samples at 32767
};

// The figures of one record of view; nothing when the file was cut short
// under the view while its samples were read.
std::optional<RecordStats> StatsOf(const PulseFileView& view, const RecordView& record);

// One header field whose stored bytes differ, its values as the bare text
// lines show them.
struct FieldDifference {
  std::string where;  // "file" for the file header, else the record's name
  std::string label;  // "DESC", "SIZE", ...
  std::string first, second;
};

// A record present in both files. Two samples are equal when their stored
// bits are the same or |a - b| <= the tolerance; a difference that is NaN
// (a NaN met a number or a NaN of other bits) counts as infinite. Samples
// are compared up to the shorter count; differing counts are a difference
// of their own.
struct RecordComparison {
  std::string name;
  uint64_t firstCount = 0, secondCount = 0;
  uint64_t differing = 0;              // samples beyond the tolerance
  std::optional<uint64_t> firstIndex;  // the first of them
  double largest = 0;                  // the largest |a - b| over every compared sample
  bool Equal() const { return differing == 0 && firstCount == secondCount; }
};

struct PulseFileDiff {
  std::vector<FieldDifference> fields;   // file header first, then the records', in table order
  std::vector<std::string> onlyInFirst;  // record names, in table order
  std::vector<std::string> onlyInSecond;
  std::vector<RecordComparison> records;  // every record present in both, in the first file's order
  bool Equal() const;
};

// The differences of two pulse files; nothing when either was cut short
// under its view while it was read.
std::optional<PulseFileDiff> Compare(const PulseFileView& first, const PulseFileView& second,
                                     double tolerance);

// Why StatsOf or Compare gave nothing for view: CantOpenForReading on its
// path, with the reason "the file changed while it was read".
Outcome ChangedWhileRead(const PulseFileView& view);

}  // namespace orvane
