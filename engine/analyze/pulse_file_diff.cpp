// The differences of two pulse files: header fields by the format's
// description, records matched by kind and number, samples block by block.
// Blocks whose bytes are the same are passed over with one memcmp, so that
// files that are mostly equal compare at the speed of reading them.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>

#include "analyze/sample_blocks.h"
#include "orvane/analysis.h"
#include "orvane/header_text.h"

namespace orvane {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

using RecordHeader = std::array<uint8_t, format::kLargestRecordHeader>;

void CompareFields(HeaderKind kind, const uint8_t* first, const uint8_t* second, const std::string& where,
                   std::vector<FieldDifference>& out) {
  for (const FieldDescription& field : DescribeHeader(kind).fields) {
    if (std::memcmp(first + field.offset, second + field.offset, field.Size()) == 0) continue;
    out.push_back({where, std::string(field.label), FieldText(kind, first, field.label),
                   FieldText(kind, second, field.label)});
  }
}

// |a - b| of two samples, 0 when their bits are equal; NaN counts as
// infinite. Branch-free, so that the block loops below vectorise.
inline double Distance(int16_t a, int16_t b) { return std::abs(static_cast<double>(a) - b); }
inline double Distance(float a, float b) {
  uint32_t x, y;
  std::memcpy(&x, &a, sizeof x);
  std::memcpy(&y, &b, sizeof y);
  const double d = std::abs(static_cast<double>(a) - static_cast<double>(b));
  return x == y ? 0.0 : (d != d ? kInfinity : d);
}

// How many samples of a block lie further apart than the tolerance, and
// the largest distance.
struct BlockDifference {
  uint64_t differing = 0;
  double largest = 0;
};

constexpr int kLanes = 8;

template <class Sample>
inline BlockDifference CompareBlockIn(const Sample* a, const Sample* b, size_t n, double tolerance) {
  double largest[kLanes] = {};
  uint32_t differing[kLanes] = {};
  auto visit = [&](size_t k, double d) {
    largest[k] = d > largest[k] ? d : largest[k];
    differing[k] += d > tolerance;
  };
  const size_t whole = n / kLanes * kLanes;
  for (size_t i = 0; i < whole; i += kLanes)
    for (int k = 0; k < kLanes; ++k) visit(k, Distance(a[i + k], b[i + k]));
  for (size_t i = whole; i < n; ++i) visit(i - whole, Distance(a[i], b[i]));
  BlockDifference out;
  for (int k = 0; k < kLanes; ++k) {
    out.largest = std::max(out.largest, largest[k]);
    out.differing += differing[k];
  }
  return out;
}

ORVANE_WIDE_LOOP BlockDifference CompareBlock(const int16_t* a, const int16_t* b, size_t n,
                                              double tolerance) {
  return CompareBlockIn(a, b, n, tolerance);
}
ORVANE_WIDE_LOOP BlockDifference CompareBlock(const float* a, const float* b, size_t n, double tolerance) {
  return CompareBlockIn(a, b, n, tolerance);
}

template <class Sample>
bool CompareSamples(const RecordView& first, const RecordView& second, double tolerance,
                    RecordComparison& out) {
  const size_t common = std::min(first.samples.size(), second.samples.size());
  std::vector<Sample> a, b(analyze::kBlockBytes / sizeof(Sample));
  bool secondRead = true;
  const bool firstRead = analyze::ForEachBlock<Sample>(
      first.samples.first(common), a, [&](const Sample* s, size_t n, size_t at) {
        if (!CopyMapped(b.data(), second.samples.data() + at * sizeof(Sample), n * sizeof(Sample))) {
          secondRead = false;
          return;
        }
        if (std::memcmp(s, b.data(), n * sizeof(Sample)) == 0) return;
        const BlockDifference block = CompareBlock(s, b.data(), n, tolerance);
        out.largest = std::max(out.largest, block.largest);
        if (block.differing != 0 && !out.firstIndex) {
          size_t i = 0;
          while (!(Distance(s[i], b[i]) > tolerance)) ++i;
          out.firstIndex = at + i;
        }
        out.differing += block.differing;
      });
  return firstRead && secondRead;
}

bool CompareRecords(const RecordView& first, const RecordView& second, double tolerance,
                    std::vector<FieldDifference>& fields, RecordComparison& out) {
  RecordHeader a{}, b{};
  const size_t size = first.Info().header.size;
  if (first.header.size() < size || second.header.size() < size) return false;
  if (!CopyMapped(a.data(), first.header.data(), size) || !CopyMapped(b.data(), second.header.data(), size))
    return false;
  out.name = first.Name();
  CompareFields(HeaderKindOf(first.type), a.data(), b.data(), out.name, fields);
  out.firstCount = first.SampleCount();
  out.secondCount = second.SampleCount();
  return first.Info().sample == SampleType::Int16 ? CompareSamples<int16_t>(first, second, tolerance, out)
                                                  : CompareSamples<float>(first, second, tolerance, out);
}

// Names of the records of one file without a namesake in the other.
std::vector<std::string> Unmatched(const PulseFileView& file, const PulseFileView& other) {
  std::vector<std::string> names;
  for (const RecordView& record : file.Records())
    if (record.number >= other.Records(record.type).size()) names.push_back(record.Name());
  return names;
}

}  // namespace

bool PulseFileDiff::Equal() const {
  return fields.empty() && onlyInFirst.empty() && onlyInSecond.empty() &&
         std::all_of(records.begin(), records.end(), [](const RecordComparison& r) { return r.Equal(); });
}

std::optional<PulseFileDiff> Compare(const PulseFileView& first, const PulseFileView& second,
                                     double tolerance) {
  PulseFileDiff diff;
  CompareFields(HeaderKind::File, first.Header().bytes.data(), second.Header().bytes.data(), "file",
                diff.fields);
  for (const RecordView& record : first.Records()) {
    const std::span<const RecordView> namesakes = second.Records(record.type);
    if (record.number >= namesakes.size()) continue;
    RecordComparison comparison;
    if (!CompareRecords(record, namesakes[record.number], tolerance, diff.fields, comparison))
      return std::nullopt;
    diff.records.push_back(std::move(comparison));
  }
  diff.onlyInFirst = Unmatched(first, second);
  diff.onlyInSecond = Unmatched(second, first);
  return diff;
}

Outcome ChangedWhileRead(const PulseFileView& view) { return FileChangedWhileRead(view.Path()); }

}  // namespace orvane
