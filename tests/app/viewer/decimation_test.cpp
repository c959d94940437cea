// The min/max pyramid and the M4 columns against a plain scan of the samples:
// random ranges, record edges, odd samples per column, non-finite samples,
// and records long enough for the pyramid's base block to grow.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "decimation.h"
#include "orvane/byte_order.h"

namespace orvane::viewer {
namespace {

// Sample bytes as a record holds them.
std::vector<uint8_t> Int16Bytes(const std::vector<int16_t>& samples) {
  std::vector<uint8_t> bytes(2 * samples.size());
  for (size_t i = 0; i < samples.size(); ++i)
    StoreU16(bytes.data() + 2 * i, static_cast<uint16_t>(samples[i]));
  return bytes;
}

std::vector<uint8_t> FloatBytes(const std::vector<float>& samples) {
  std::vector<uint8_t> bytes(4 * samples.size());
  for (size_t i = 0; i < samples.size(); ++i) StoreF32(bytes.data() + 4 * i, samples[i]);
  return bytes;
}

// The reference: every sample looked at one by one.
MinMax BruteForce(const SampleSource& source, uint64_t begin, uint64_t end) {
  MinMax result;
  for (uint64_t i = begin; i < std::min(end, source.Count()); ++i) {
    const float v = source.At(i);
    if (!std::isfinite(v)) {
      result.nonFinite = true;
      continue;
    }
    result.min = std::min(result.min, v);
    result.max = std::max(result.max, v);
  }
  return result;
}

void ExpectSame(const MinMax& got, const MinMax& want, const std::string& where) {
  EXPECT_EQ(got.Empty(), want.Empty()) << where;
  EXPECT_EQ(got.nonFinite, want.nonFinite) << where;
  if (!want.Empty()) {
    EXPECT_EQ(got.min, want.min) << where;
    EXPECT_EQ(got.max, want.max) << where;
  }
}

std::vector<int16_t> RandomInt16(size_t n, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<int16_t> samples(n);
  for (auto& s : samples) s = static_cast<int16_t>(random());
  return samples;
}

// Reals with NaNs, infinities of both signs, and a stretch of NaNs only.
std::vector<float> RandomReals(size_t n, uint32_t seed) {
  std::mt19937 random(seed);
  std::normal_distribution<float> normal(0, 1000);
  std::vector<float> samples(n);
  for (auto& s : samples) s = normal(random);
  const float specials[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                            -std::numeric_limits<float>::infinity()};
  for (size_t k = 0; k < n / 500; ++k) samples[random() % n] = specials[k % 3];
  for (size_t i = n / 3; i < n / 3 + 300 && i < n; ++i) samples[i] = std::numeric_limits<float>::quiet_NaN();
  return samples;
}

// Random ranges, every range touching an edge of the record, empty and
// clamped ranges.
void CheckQueries(const MinMaxPyramid& pyramid, uint32_t seed) {
  const SampleSource& source = pyramid.Source();
  const uint64_t n = source.Count();
  std::mt19937_64 random(seed);
  for (int k = 0; k < 400; ++k) {
    uint64_t a = random() % (n + 1), b = random() % (n + 1);
    if (k % 2) b = std::min(n, a + random() % 3000);  // short ranges too
    if (a > b) std::swap(a, b);
    ExpectSame(pyramid.Query(a, b), BruteForce(source, a, b),
               "[" + std::to_string(a) + "," + std::to_string(b) + ")");
  }
  for (uint64_t edge : {uint64_t(1), uint64_t(31), uint64_t(32), uint64_t(33), pyramid.BaseBlock() * 3 + 1}) {
    if (edge > n) continue;
    ExpectSame(pyramid.Query(0, edge), BruteForce(source, 0, edge), "head " + std::to_string(edge));
    ExpectSame(pyramid.Query(n - edge, n), BruteForce(source, n - edge, n), "tail " + std::to_string(edge));
  }
  ExpectSame(pyramid.Query(0, n), BruteForce(source, 0, n), "whole");
  ExpectSame(pyramid.Query(0, n + 1000), BruteForce(source, 0, n), "past the end");
  EXPECT_TRUE(pyramid.Query(n / 2, n / 2).Empty());
  EXPECT_TRUE(pyramid.Query(n + 5, n + 9).Empty());
}

TEST(MinMaxPyramid, QueriesOfIntegerSamplesEqualAPlainScan) {
  for (size_t n : {size_t(1), size_t(31), size_t(32), size_t(33), size_t(1000), size_t(100003)}) {
    const auto bytes = Int16Bytes(RandomInt16(n, static_cast<uint32_t>(n)));
    MinMaxPyramid pyramid(SampleSource(bytes, SampleSource::Kind::Int16));
    SCOPED_TRACE(n);
    CheckQueries(pyramid, 7);
  }
}

TEST(MinMaxPyramid, QueriesOfRealsLeaveOutAndReportNonFiniteSamples) {
  for (size_t n : {size_t(5), size_t(64), size_t(4097), size_t(250001)}) {
    const auto bytes = FloatBytes(RandomReals(n, static_cast<uint32_t>(n)));
    MinMaxPyramid pyramid(SampleSource(bytes, SampleSource::Kind::Float32));
    SCOPED_TRACE(n);
    CheckQueries(pyramid, 11);
  }
}

TEST(MinMaxPyramid, AStretchOfNaNsAloneIsEmptyAndNonFinite) {
  std::vector<float> samples(1000, 2.5f);
  for (size_t i = 100; i < 900; ++i) samples[i] = std::numeric_limits<float>::quiet_NaN();
  samples[500] = std::numeric_limits<float>::infinity();
  const auto bytes = FloatBytes(samples);
  MinMaxPyramid pyramid(SampleSource(bytes, SampleSource::Kind::Float32));
  const MinMax gap = pyramid.Query(100, 900);
  EXPECT_TRUE(gap.Empty());
  EXPECT_TRUE(gap.nonFinite);
  const MinMax whole = pyramid.Query(0, 1000);
  EXPECT_EQ(whole.min, 2.5f);
  EXPECT_EQ(whole.max, 2.5f);
  EXPECT_TRUE(whole.nonFinite);
  EXPECT_FALSE(pyramid.Query(0, 100).nonFinite);
}

TEST(MinMaxPyramid, BuildingOnSeveralThreadsGivesTheSameAnswers) {
  const auto bytes = FloatBytes(RandomReals(5'000'000, 3));
  const SampleSource source(bytes, SampleSource::Kind::Float32);
  MinMaxPyramid one(source, 1), four(source, 4);
  std::mt19937_64 random(5);
  for (int k = 0; k < 200; ++k) {
    uint64_t a = random() % source.Count(), b = random() % source.Count();
    if (a > b) std::swap(a, b);
    ExpectSame(four.Query(a, b), one.Query(a, b), std::to_string(a));
  }
}

// Past 2^19 base blocks of 32 samples the base block doubles: the pyramid's
// size stays bounded, its answers exact.
TEST(MinMaxPyramid, ALongRecordGetsLargerBaseBlocksAndStaysExact) {
  const size_t n = (size_t(1) << 24) + 12345;
  const auto bytes = Int16Bytes(RandomInt16(n, 9));
  MinMaxPyramid pyramid(SampleSource(bytes, SampleSource::Kind::Int16));
  EXPECT_EQ(pyramid.BaseBlock(), 64u);
  EXPECT_LE(pyramid.MemoryBytes(), 2 * MinMaxPyramid::kMaxBaseBlocks * sizeof(MinMax));
  CheckQueries(pyramid, 13);
}

// Every column of a run of M4 columns against the plain scan: its bounds
// anchored at floor(k * spc), first and last samples, range.
void CheckColumns(const MinMaxPyramid& pyramid, int64_t firstColumn, size_t count, double spc) {
  const SampleSource& source = pyramid.Source();
  const auto n = static_cast<double>(source.Count());
  const std::vector<M4Column> columns = ComputeM4(pyramid, firstColumn, count, spc);
  ASSERT_EQ(columns.size(), count);
  for (size_t i = 0; i < count; ++i) {
    const int64_t k = firstColumn + static_cast<int64_t>(i);
    const auto bound = [&](int64_t c) {
      return static_cast<uint64_t>(std::clamp(std::floor(c * spc), 0.0, n));
    };
    const M4Column& c = columns[i];
    const std::string where = "spc " + std::to_string(spc) + " column " + std::to_string(k);
    ASSERT_EQ(c.begin, bound(k)) << where;
    ASSERT_EQ(c.end, bound(k + 1)) << where;
    if (i + 1 < count) {
      ASSERT_EQ(c.end, columns[i + 1].begin) << where;
    }
    if (c.begin == c.end) continue;
    ExpectSame(c.range, BruteForce(source, c.begin, c.end), where);
    EXPECT_TRUE(c.first == source.At(c.begin) || std::isnan(c.first)) << where;
    EXPECT_TRUE(c.last == source.At(c.end - 1) || std::isnan(c.last)) << where;
  }
}

TEST(M4Columns, EqualAPlainScanForOddSamplesPerColumnAndAtTheRecordsEdges) {
  const auto bytes = FloatBytes(RandomReals(100'001, 17));
  MinMaxPyramid pyramid(SampleSource(bytes, SampleSource::Kind::Float32));
  for (double spc : {1.0, 1.5, 2.0, 7.3, 33.333, 64.0, 100.7, 1234.5678}) {
    const auto columns = static_cast<int64_t>(100'001 / spc);
    CheckColumns(pyramid, 0, 300, spc);                 // the start
    CheckColumns(pyramid, -20, 60, spc);                // before the start
    CheckColumns(pyramid, columns - 250, 300, spc);     // past the end
    CheckColumns(pyramid, columns / 3 - 40, 500, spc);  // through the NaN stretch
  }
}

// Columns belong to absolute sample indices: a view moved by whole columns
// shows the same columns, so panning does not make the picture flicker.
TEST(M4Columns, AreAnchoredAtAbsoluteSampleIndices) {
  const auto bytes = Int16Bytes(RandomInt16(200'000, 21));
  MinMaxPyramid pyramid(SampleSource(bytes, SampleSource::Kind::Int16));
  const double spc = 37.77;
  const auto a = ComputeM4(pyramid, 100, 800, spc), b = ComputeM4(pyramid, 137, 800, spc);
  for (size_t i = 37; i < 800; ++i) {
    EXPECT_EQ(a[i].begin, b[i - 37].begin);
    EXPECT_EQ(a[i].range.min, b[i - 37].range.min);
    EXPECT_EQ(a[i].range.max, b[i - 37].range.max);
  }
}

}  // namespace
}  // namespace orvane::viewer
