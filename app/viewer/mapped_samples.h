// The viewer's reads of a record's samples where they lie, in its file's
// mapping, guarded (orvane/mapped_read.h): when another program cuts the
// file short under the mapping, a read returns false instead of ending the
// viewer, which then reads the file again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "decimation.h"

namespace orvane::viewer {

// count M4 columns from firstColumn, as ComputeM4 gives them.
bool ReadM4(const MinMaxPyramid& pyramid, int64_t firstColumn, size_t count, double samplesPerColumn,
            std::vector<M4Column>* columns);
// The range of samples [begin, end), as MinMaxPyramid::Query gives it.
bool ReadRange(const MinMaxPyramid& pyramid, uint64_t begin, uint64_t end, MinMax* range);
// Samples [first, first + count) as values, cut at the record's end.
bool ReadSamples(const SampleSource& source, uint64_t first, uint64_t count, std::vector<float>* values);

}  // namespace orvane::viewer
