// Decimation of a record's samples for drawing: a min/max pyramid over
// blocks of the samples and M4 columns (first, min, max, last) read from it.
// Free of Qt so that tests and the benchmark use it as the viewer does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace orvane::viewer {

// Samples as they lie in a record: little-endian int16 or float32.
class SampleSource {
 public:
  enum class Kind : uint8_t { Int16, Float32 };
  SampleSource() = default;
  SampleSource(std::span<const uint8_t> bytes, Kind kind);
  uint64_t Count() const { return count_; }
  Kind SampleKind() const { return kind_; }
  float At(uint64_t index) const;

 private:
  const uint8_t* data_ = nullptr;
  uint64_t count_ = 0;
  Kind kind_ = Kind::Int16;
};

// Range of the finite samples of a stretch; nonFinite when a NaN or an
// infinity lies in it. Empty (min > max) when no sample is finite.
struct MinMax {
  float min = 1.0f / 0.0f;
  float max = -1.0f / 0.0f;
  bool nonFinite = false;
  bool Empty() const { return min > max; }
  void Add(float value);
  void Merge(const MinMax& other);
};

// One device-pixel column: samples [begin, end).
struct M4Column {
  uint64_t begin = 0;
  uint64_t end = 0;
  float first = 0, last = 0;
  MinMax range;
};

// Level k holds the min/max of blocks of kBaseBlock << k samples (a
// partial block at the end of the record included).
class MinMaxPyramid {
 public:
  static constexpr uint64_t kBaseBlock = 32;
  explicit MinMaxPyramid(SampleSource source);
  const SampleSource& Source() const { return source_; }
  // Min/max of samples [begin, end), clamped to the record.
  MinMax Query(uint64_t begin, uint64_t end) const;
  size_t Levels() const { return levels_.size(); }
  size_t MemoryBytes() const;

 private:
  MinMax Scan(uint64_t begin, uint64_t end) const;
  SampleSource source_;
  std::vector<std::vector<MinMax>> levels_;
};

// Columns of samplesPerColumn samples (>= 1; fractional allowed), anchored at
// absolute sample indices: column k covers [floor(k*spc), floor((k+1)*spc)).
// Returns columns firstColumn .. firstColumn+count-1, cut at the record's end.
std::vector<M4Column> ComputeM4(const MinMaxPyramid& pyramid, int64_t firstColumn, size_t count,
                                double samplesPerColumn);

}  // namespace orvane::viewer
