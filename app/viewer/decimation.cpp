#include "decimation.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <thread>

#include "orvane/byte_order.h"
#include "orvane/mapped_read.h"

namespace orvane::viewer {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();

// The scans are written so that the compiler vectorises them: no branches,
// non-finite samples replaced by neutral values and counted on the side.
MinMax ScanInt16(const uint8_t* data, uint64_t begin, uint64_t end) {
  MinMax result;
  if (begin >= end) return result;
  int16_t lo = INT16_MAX, hi = INT16_MIN;
  for (uint64_t i = begin; i < end; ++i) {
    const int16_t v = LoadI16(data + 2 * i);
    lo = v < lo ? v : lo;
    hi = v > hi ? v : hi;
  }
  result.min = lo;
  result.max = hi;
  return result;
}

// A float's bits as an integer of the same order (for finite values), so
// that the scan is an integer min/max the compiler may reorder and vectorise.
inline int32_t OrderKey(int32_t bits) { return bits ^ ((bits >> 31) & 0x7FFFFFFF); }

inline float FromOrderKey(int32_t key) {
  const int32_t bits = OrderKey(key);  // the mapping is its own inverse
  float v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

MinMax ScanFloat32(const uint8_t* data, uint64_t begin, uint64_t end) {
  int32_t lo = INT32_MAX, hi = INT32_MIN;  // no finite float has these keys
  int32_t nonFinite = 0;
  for (uint64_t i = begin; i < end; ++i) {
    const int32_t bits = LoadI32(data + 4 * i);
    const int32_t bad = -int32_t((bits & 0x7F800000) == 0x7F800000);  // all ones for inf or NaN
    const int32_t key = OrderKey(bits);
    nonFinite |= bad;
    lo = std::min(lo, (key & ~bad) | (INT32_MAX & bad));
    hi = std::max(hi, (key & ~bad) | (INT32_MIN & bad));
  }
  MinMax result;
  result.nonFinite = nonFinite != 0;
  if (hi != INT32_MIN) {
    result.min = FromOrderKey(lo);
    result.max = FromOrderKey(hi);
  }
  return result;
}

uint64_t BaseBlockFor(uint64_t samples) {
  uint64_t block = MinMaxPyramid::kMinBaseBlock;
  while ((samples + block - 1) / block > MinMaxPyramid::kMaxBaseBlocks) block *= 2;
  return block;
}

}  // namespace

SampleSource::SampleSource(std::span<const uint8_t> bytes, Kind kind)
    : data_(bytes.data()), count_(bytes.size() / (kind == Kind::Int16 ? 2 : 4)), kind_(kind) {}

float SampleSource::At(uint64_t index) const {
  if (kind_ == Kind::Int16) return static_cast<float>(LoadI16(data_ + index * 2));
  return LoadF32(data_ + index * 4);
}

void MinMax::Add(float value) {
  if (!std::isfinite(value)) {
    nonFinite = true;
    return;
  }
  min = std::min(min, value);
  max = std::max(max, value);
}

void MinMax::Merge(const MinMax& other) {
  min = std::min(min, other.min);
  max = std::max(max, other.max);
  nonFinite = nonFinite || other.nonFinite;
}

MinMax ScanSamples(const SampleSource& source, uint64_t begin, uint64_t end) {
  end = std::min(end, source.Count());
  if (source.SampleKind() == SampleSource::Kind::Int16) return ScanInt16(source.Data(), begin, end);
  return ScanFloat32(source.Data(), begin, end);
}

MinMaxPyramid::MinMaxPyramid(SampleSource source, unsigned threads)
    : source_(source), baseBlock_(BaseBlockFor(source.Count())) {
  if (source_.Count() == 0) return;
  BuildBase(threads);
  while (levels_.back().size() > 1) {
    const std::vector<MinMax>& below = levels_.back();
    std::vector<MinMax> up((below.size() + 1) / 2);
    for (size_t b = 0; b < up.size(); ++b) {
      up[b] = below[2 * b];
      if (2 * b + 1 < below.size()) up[b].Merge(below[2 * b + 1]);
    }
    levels_.push_back(std::move(up));
  }
}

void MinMaxPyramid::BuildBase(unsigned threads) {
  const uint64_t n = source_.Count();
  std::vector<MinMax> base((n + baseBlock_ - 1) / baseBlock_);
  // Small records are not worth a thread.
  if (threads == 0) threads = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
  if (n < (uint64_t(1) << 22)) threads = 1;
  // Each thread's share is one guarded read, writing into base only.
  std::vector<char> failed(threads, 0);
  auto fill = [&](unsigned t, size_t from, size_t to) {
    failed[t] = !orvane::ReadMapped([&] {
      for (size_t b = from; b < to; ++b) base[b] = ScanSamples(source_, b * baseBlock_, (b + 1) * baseBlock_);
    });
  };
  std::vector<std::thread> workers;
  const size_t share = (base.size() + threads - 1) / threads;
  for (unsigned t = 1; t < threads; ++t)
    workers.emplace_back(fill, t, std::min(base.size(), t * share), std::min(base.size(), (t + 1) * share));
  fill(0, 0, std::min(base.size(), share));
  for (std::thread& worker : workers) worker.join();
  readFailed_ = std::find(failed.begin(), failed.end(), 1) != failed.end();
  levels_.push_back(std::move(base));
}

size_t MinMaxPyramid::MemoryBytes() const {
  size_t bytes = 0;
  for (const auto& level : levels_) bytes += level.capacity() * sizeof(MinMax);
  return bytes;
}

MinMax MinMaxPyramid::Query(uint64_t begin, uint64_t end) const {
  const uint64_t n = source_.Count();
  end = std::min(end, n);
  if (begin >= end) return MinMax{};
  // Raw samples up to the first whole base block, whole blocks of the
  // largest aligned size in the middle, raw samples after the last. The
  // partial block at the record's end counts as whole.
  const uint64_t firstBlock = (begin + baseBlock_ - 1) / baseBlock_;
  const uint64_t lastBlock = end == n ? (end + baseBlock_ - 1) / baseBlock_ : end / baseBlock_;
  if (firstBlock >= lastBlock) return ScanSamples(source_, begin, end);
  MinMax result = ScanSamples(source_, begin, firstBlock * baseBlock_);
  uint64_t block = firstBlock;
  while (block < lastBlock) {
    size_t level = 0;
    while (level + 1 < levels_.size() && (block % (uint64_t(2) << level)) == 0 &&
           block + (uint64_t(2) << level) <= lastBlock)
      ++level;
    result.Merge(levels_[level][block >> level]);
    block += uint64_t(1) << level;
  }
  if (lastBlock * baseBlock_ < end) result.Merge(ScanSamples(source_, lastBlock * baseBlock_, end));
  return result;
}

std::vector<M4Column> ComputeM4(const MinMaxPyramid& pyramid, int64_t firstColumn, size_t count,
                                double samplesPerColumn) {
  std::vector<M4Column> columns(count);
  FillM4(pyramid, firstColumn, samplesPerColumn, columns);
  return columns;
}

void FillM4(const MinMaxPyramid& pyramid, int64_t firstColumn, double samplesPerColumn,
            std::span<M4Column> columns) {
  const uint64_t n = pyramid.Source().Count();
  const double spc = std::max(samplesPerColumn, 1.0);
  auto boundary = [&](int64_t k) -> uint64_t {
    const double at = std::floor(static_cast<double>(k) * spc);
    return at <= 0 ? 0 : static_cast<uint64_t>(std::min(at, static_cast<double>(n)));
  };
  for (size_t i = 0; i < columns.size(); ++i) {
    M4Column& column = columns[i];
    column = M4Column{};
    const int64_t k = firstColumn + static_cast<int64_t>(i);
    column.begin = k < 0 ? 0 : boundary(k);
    column.end = k + 1 <= 0 ? 0 : boundary(k + 1);
    if (column.begin < column.end) {
      column.first = pyramid.Source().At(column.begin);
      column.last = pyramid.Source().At(column.end - 1);
      column.range = pyramid.Query(column.begin, column.end);
    }
  }
}

}  // namespace orvane::viewer
