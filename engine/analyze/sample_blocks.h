// Reading a record's samples block by block through the guarded reads of
// mapped_read.h, into ordinary memory that the figures and comparisons then
// loop over: a file cut short under its view ends the read with false
// instead of a fault.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "orvane/mapped_read.h"

// The loops over a block are built twice: for the baseline x86-64 the
// program targets and for AVX2, chosen when the program starts by what the
// processor has. AVX2 handles twice the samples per instruction. (Not
// under the sanitizers, whose runtime resolves the choice too late.)
#if defined(__x86_64__) && !defined(__SANITIZE_ADDRESS__) && !defined(__clang__)
#define ORVANE_WIDE_LOOP __attribute__((target_clones("avx2", "default")))
#else
#define ORVANE_WIDE_LOOP
#endif

namespace orvane::analyze {

// Samples are stored little-endian; a block is used as the host's numbers.
static_assert(std::endian::native == std::endian::little, "sample blocks are read as host numbers");

// Big enough that the guard's cost vanishes, small enough to stay in cache.
constexpr size_t kBlockBytes = 64 * 1024;

// Calls use(block, samples, first) for each block of samples of the mapped
// bytes, with first the index of its first sample; false when the file was
// cut short. Sample is int16_t or float.
template <class Sample, class Use>
bool ForEachBlock(std::span<const uint8_t> bytes, std::vector<Sample>& buffer, Use&& use) {
  constexpr size_t kPerBlock = kBlockBytes / sizeof(Sample);
  buffer.resize(kPerBlock);
  const size_t total = bytes.size() / sizeof(Sample);
  for (size_t first = 0; first < total; first += kPerBlock) {
    const size_t n = std::min(kPerBlock, total - first);
    if (!CopyMapped(buffer.data(), bytes.data() + first * sizeof(Sample), n * sizeof(Sample))) return false;
    use(buffer.data(), n, first);
  }
  return true;
}

}  // namespace orvane::analyze
