// The figures of a record's samples, block by block. The inner loops keep
// eight independent lanes, so that the compiler vectorises them without
// reordering any sum.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "analyze/sample_blocks.h"
#include "orvane/analysis.h"

namespace orvane {

namespace {

constexpr int kLanes = 8;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct IntTotals {
  int64_t sum = 0;
  uint64_t squares = 0;  // exact: 2^30 per sample, at most 2^32 samples
  int minimum = 32767, maximum = -32768;
  uint64_t low = 0, high = 0;
};

// n is at most one block (32768 samples), so that the sum and the counts
// fit 32 bits, which lets the loop keep more samples to a vector register.
ORVANE_WIDE_LOOP void AddInts(const int16_t* s, size_t n, IntTotals& t) {
  static_assert(analyze::kBlockBytes / sizeof(int16_t) <= 32768);
  int32_t sum = 0;
  uint32_t low = 0, high = 0;
  uint64_t squares = 0;
  int minimum = t.minimum, maximum = t.maximum;
  for (size_t i = 0; i < n; ++i) {
    const int v = s[i];
    sum += v;
    squares += static_cast<uint32_t>(v * v);
    minimum = std::min(minimum, v);
    maximum = std::max(maximum, v);
    low += v == -32768;
    high += v == 32767;
  }
  t.sum += sum;
  t.squares += squares;
  t.minimum = minimum;
  t.maximum = maximum;
  t.low += low;
  t.high += high;
}

struct RealTotals {
  long double sum = 0, squares = 0;
  float minimum = std::numeric_limits<float>::infinity(), maximum = -std::numeric_limits<float>::infinity();
  uint64_t seen = 0, nan = 0, infinite = 0;
};

// One sample into lane k: infinities and NaN count apart and add nothing.
struct RealLanes {
  double sum[kLanes] = {}, squares[kLanes] = {};
  float minimum[kLanes], maximum[kLanes];
  uint32_t nan[kLanes] = {}, infinite[kLanes] = {};

  explicit RealLanes(const RealTotals& t) {
    std::fill(std::begin(minimum), std::end(minimum), t.minimum);
    std::fill(std::begin(maximum), std::end(maximum), t.maximum);
  }
  void Add(int k, float x) {
    uint32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    const uint32_t magnitude = bits & 0x7fffffffu;
    const bool finite = magnitude < 0x7f800000u;
    const double v = finite ? x : 0.0;
    sum[k] += v;
    squares[k] += v * v;
    minimum[k] = finite && x < minimum[k] ? x : minimum[k];
    maximum[k] = finite && x > maximum[k] ? x : maximum[k];
    nan[k] += magnitude > 0x7f800000u;
    infinite[k] += magnitude == 0x7f800000u;
  }
};

// Whether a block holds only finite reals, and their smallest and largest
// per lane: a pass over the bits alone, in local lanes, which vectorises.
inline bool FiniteBlock(const float* s, size_t n, RealLanes& lanes) {
  float minimum[kLanes], maximum[kLanes];
  uint32_t special[kLanes] = {};
  std::copy(std::begin(lanes.minimum), std::end(lanes.minimum), minimum);
  std::copy(std::begin(lanes.maximum), std::end(lanes.maximum), maximum);
  auto visit = [&](size_t k, float x) {
    uint32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    special[k] |= static_cast<uint32_t>((bits & 0x7fffffffu) >= 0x7f800000u);
    minimum[k] = x < minimum[k] ? x : minimum[k];
    maximum[k] = x > maximum[k] ? x : maximum[k];
  };
  const size_t whole = n / kLanes * kLanes;
  for (size_t i = 0; i < whole; i += kLanes)
    for (int k = 0; k < kLanes; ++k) visit(k, s[i + k]);
  for (size_t i = whole; i < n; ++i) visit(i - whole, s[i]);
  uint32_t any = 0;
  for (int k = 0; k < kLanes; ++k) any |= special[k];
  std::copy(std::begin(minimum), std::end(minimum), lanes.minimum);
  std::copy(std::begin(maximum), std::end(maximum), lanes.maximum);
  return any == 0;
}

ORVANE_WIDE_LOOP void AddReals(const float* s, size_t n, RealTotals& t) {
  RealLanes lanes(t);
  // Most blocks hold no NaN or infinity: their sums then need no test per
  // sample. Both ways add the same numbers to the same lanes in the same
  // order, so the figures do not depend on the way taken.
  RealLanes finite(t);
  if (FiniteBlock(s, n, finite)) {
    lanes = finite;
    double sum[kLanes], squares[kLanes];
    std::copy(std::begin(lanes.sum), std::end(lanes.sum), sum);
    std::copy(std::begin(lanes.squares), std::end(lanes.squares), squares);
    const size_t whole = n / kLanes * kLanes;
    for (size_t i = 0; i < whole; i += kLanes) {
      for (int k = 0; k < kLanes; ++k) {
        const double v = s[i + k];
        sum[k] += v;
        squares[k] += v * v;
      }
    }
    for (size_t i = whole; i < n; ++i) {
      const double v = s[i];
      sum[i - whole] += v;
      squares[i - whole] += v * v;
    }
    std::copy(std::begin(sum), std::end(sum), lanes.sum);
    std::copy(std::begin(squares), std::end(squares), lanes.squares);
  } else {
    size_t i = 0;
    for (; i + kLanes <= n; i += kLanes)
      for (int k = 0; k < kLanes; ++k) lanes.Add(k, s[i + k]);
    for (int k = 0; i < n; ++i, ++k) lanes.Add(k, s[i]);
  }
  for (int k = 0; k < kLanes; ++k) {
    t.sum += lanes.sum[k];
    t.squares += lanes.squares[k];
    t.minimum = std::min(t.minimum, lanes.minimum[k]);
    t.maximum = std::max(t.maximum, lanes.maximum[k]);
    t.nan += lanes.nan[k];
    t.infinite += lanes.infinite[k];
  }
  t.seen += n;
}

// minimum, maximum, mean and rms of count samples from their extremes and
// sums; NaN when there is none.
void SetFigures(RecordStats& stats, uint64_t count, double minimum, double maximum, long double sum,
                long double squares) {
  if (count == 0) {
    stats.minimum = stats.maximum = stats.mean = stats.rms = kNaN;
    return;
  }
  const long double n = static_cast<long double>(count);
  stats.minimum = minimum;
  stats.maximum = maximum;
  stats.mean = static_cast<double>(sum / n);
  stats.rms = static_cast<double>(std::sqrt(squares / n));
}

bool IntStats(const RecordView& record, RecordStats& stats) {
  IntTotals t;
  std::vector<int16_t> buffer;
  if (!analyze::ForEachBlock(record.samples, buffer,
                             [&](const int16_t* s, size_t n, size_t) { AddInts(s, n, t); }))
    return false;
  stats.sum = t.sum;
  stats.atMinimumLimit = t.low;
  stats.atMaximumLimit = t.high;
  SetFigures(stats, stats.count, t.minimum, t.maximum, static_cast<long double>(t.sum),
             static_cast<long double>(t.squares));
  return true;
}

bool RealStats(const RecordView& record, RecordStats& stats) {
  RealTotals t;
  std::vector<float> buffer;
  if (!analyze::ForEachBlock(record.samples, buffer,
                             [&](const float* s, size_t n, size_t) { AddReals(s, n, t); }))
    return false;
  stats.nanCount = t.nan;
  stats.infiniteCount = t.infinite;
  SetFigures(stats, t.seen - t.nan - t.infinite, t.minimum, t.maximum, t.sum, t.squares);
  return true;
}

}  // namespace

std::optional<RecordStats> StatsOf(const PulseFileView& view, const RecordView& record) {
  (void)view;  // holds the mapping the record's spans point into
  RecordStats stats;
  stats.type = record.type;
  stats.number = record.number;
  stats.name = record.Name();
  stats.count = record.SampleCount();
  const bool read =
      record.Info().sample == SampleType::Int16 ? IntStats(record, stats) : RealStats(record, stats);
  if (!read) return std::nullopt;
  return stats;
}

}  // namespace orvane
