#include "decimation.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "orvane/byte_order.h"

namespace orvane::viewer {

SampleSource::SampleSource(std::span<const uint8_t> bytes, Kind kind)
    : data_(bytes.data()), count_(bytes.size() / (kind == Kind::Int16 ? 2 : 4)), kind_(kind) {}

float SampleSource::At(uint64_t index) const {
  if (kind_ == Kind::Int16) {
    const uint8_t* p = data_ + index * 2;
    return static_cast<float>(static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8))));
  }
  const uint8_t* p = data_ + index * 4;
  const uint32_t bits = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
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

MinMax MinMaxPyramid::Scan(uint64_t begin, uint64_t end) const {
  MinMax result;
  if (source_.SampleKind() == SampleSource::Kind::Int16) {
    // Integers are always finite: a plain loop the compiler vectorises.
    int lo = INT16_MAX, hi = INT16_MIN;
    for (uint64_t i = begin; i < end; ++i) {
      const int v = static_cast<int>(source_.At(i));
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
    if (begin < end) {
      result.min = static_cast<float>(lo);
      result.max = static_cast<float>(hi);
    }
    return result;
  }
  for (uint64_t i = begin; i < end; ++i) result.Add(source_.At(i));
  return result;
}

MinMaxPyramid::MinMaxPyramid(SampleSource source) : source_(source) {
  const uint64_t n = source_.Count();
  if (n == 0) return;
  std::vector<MinMax> base((n + kBaseBlock - 1) / kBaseBlock);
  for (size_t b = 0; b < base.size(); ++b) base[b] = Scan(b * kBaseBlock, std::min(n, (b + 1) * kBaseBlock));
  levels_.push_back(std::move(base));
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

size_t MinMaxPyramid::MemoryBytes() const {
  size_t bytes = 0;
  for (const auto& level : levels_) bytes += level.capacity() * sizeof(MinMax);
  return bytes;
}

MinMax MinMaxPyramid::Query(uint64_t begin, uint64_t end) const {
  end = std::min(end, source_.Count());
  MinMax result;
  if (begin >= end) return result;
  // Raw samples up to the first whole base block, whole blocks of the
  // largest aligned size in the middle, raw samples after the last.
  const uint64_t firstBlock = (begin + kBaseBlock - 1) / kBaseBlock;
  const uint64_t lastBlock = end == source_.Count() ? (end + kBaseBlock - 1) / kBaseBlock : end / kBaseBlock;
  if (firstBlock >= lastBlock) return Scan(begin, end);
  result = Scan(begin, firstBlock * kBaseBlock);
  uint64_t block = firstBlock;
  while (block < lastBlock) {
    size_t level = 0;
    while (level + 1 < levels_.size() && (block % (uint64_t(2) << level)) == 0 &&
           block + (uint64_t(2) << level) <= lastBlock)
      ++level;
    result.Merge(levels_[level][block >> level]);
    block += uint64_t(1) << level;
  }
  if (lastBlock * kBaseBlock < end) result.Merge(Scan(lastBlock * kBaseBlock, end));
  return result;
}

std::vector<M4Column> ComputeM4(const MinMaxPyramid& pyramid, int64_t firstColumn, size_t count,
                                double samplesPerColumn) {
  std::vector<M4Column> columns;
  columns.reserve(count);
  const uint64_t n = pyramid.Source().Count();
  const double spc = std::max(samplesPerColumn, 1.0);
  auto boundary = [&](int64_t k) -> uint64_t {
    const double at = std::floor(static_cast<double>(k) * spc);
    return at <= 0 ? 0 : static_cast<uint64_t>(std::min(at, static_cast<double>(n)));
  };
  for (size_t i = 0; i < count; ++i) {
    M4Column column;
    const int64_t k = firstColumn + static_cast<int64_t>(i);
    column.begin = k < 0 ? 0 : boundary(k);
    column.end = k + 1 <= 0 ? 0 : boundary(k + 1);
    if (column.begin < column.end) {
      column.first = pyramid.Source().At(column.begin);
      column.last = pyramid.Source().At(column.end - 1);
      column.range = pyramid.Query(column.begin, column.end);
    }
    columns.push_back(column);
  }
  return columns;
}

}  // namespace orvane::viewer
