#include "mapped_samples.h"

#include <algorithm>

#include "orvane/mapped_read.h"

namespace orvane::viewer {

// Every guarded body below writes only into memory made before it starts.

bool ReadM4(const MinMaxPyramid& pyramid, int64_t firstColumn, size_t count, double samplesPerColumn,
            std::vector<M4Column>* columns) {
  columns->assign(count, M4Column{});
  const std::span<M4Column> out(*columns);
  return ReadMapped([&] { FillM4(pyramid, firstColumn, samplesPerColumn, out); });
}

bool ReadRange(const MinMaxPyramid& pyramid, uint64_t begin, uint64_t end, MinMax* range) {
  return ReadMapped([&] { *range = pyramid.Query(begin, end); });
}

bool ReadSamples(const SampleSource& source, uint64_t first, uint64_t count, std::vector<float>* values) {
  first = std::min(first, source.Count());
  values->assign(static_cast<size_t>(std::min(count, source.Count() - first)), 0.0f);
  float* const out = values->data();
  const size_t n = values->size();
  return ReadMapped([&] {
    for (size_t i = 0; i < n; ++i) out[i] = source.At(first + i);
  });
}

}  // namespace orvane::viewer
