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
  const uint8_t* Data() const { return data_; }

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

// Level k holds the min/max of blocks of BaseBlock() << k samples (a
// partial block at the end of the record included). The base block grows
// with the record so that the pyramid stays below kMaxBaseBlocks entries on
// its lowest level (about 12 MB in all) whatever the record's length; a
// query reads at most two base blocks of raw samples besides the pyramid.
class MinMaxPyramid {
 public:
  static constexpr uint64_t kMinBaseBlock = 32;
  static constexpr uint64_t kMaxBaseBlocks = uint64_t(1) << 19;
  // Builds every level at once; the lowest level, one pass over the
  // samples, is shared among up to `threads` threads (0: one per core).
  // The pass is guarded (orvane/mapped_read.h): samples in a file cut short
  // under its mapping make ReadFailed() true instead of ending the program.
  explicit MinMaxPyramid(SampleSource source, unsigned threads = 0);
  const SampleSource& Source() const { return source_; }
  // Some samples could not be read while it was built: the file changed
  // under its mapping, and the pyramid's answers mean nothing.
  bool ReadFailed() const { return readFailed_; }
  uint64_t BaseBlock() const { return baseBlock_; }
  // Min/max of samples [begin, end), clamped to the record.
  MinMax Query(uint64_t begin, uint64_t end) const;
  size_t Levels() const { return levels_.size(); }
  size_t MemoryBytes() const;

 private:
  void BuildBase(unsigned threads);
  SampleSource source_;
  bool readFailed_ = false;
  uint64_t baseBlock_ = kMinBaseBlock;
  std::vector<std::vector<MinMax>> levels_;
};

// Min/max of samples [begin, end) of source read one by one (no pyramid).
MinMax ScanSamples(const SampleSource& source, uint64_t begin, uint64_t end);

// Columns of samplesPerColumn samples (>= 1; fractional allowed), anchored at
// absolute sample indices: column k covers [floor(k*spc), floor((k+1)*spc)).
// Returns columns firstColumn .. firstColumn+count-1, cut at the record's end.
std::vector<M4Column> ComputeM4(const MinMaxPyramid& pyramid, int64_t firstColumn, size_t count,
                                double samplesPerColumn);
// The same into columns.size() columns made beforehand: it allocates
// nothing, so that it may run as a guarded read (see mapped_samples.h).
void FillM4(const MinMaxPyramid& pyramid, int64_t firstColumn, double samplesPerColumn,
            std::span<M4Column> columns);

}  // namespace orvane::viewer
