#include "sample_lines.h"

#include <vector>

#include "byte_order.h"
#include "text_format.h"
#include "text_scan.h"

namespace orvane {

namespace {

constexpr size_t kBlockSamples = 1 << 15;

// "%6d:  %6d   " / "%6d   " / "%6d\n" for sample i.
char* AppendWordSample(char* out, uint64_t i, int16_t value, bool labelled) {
  unsigned column = static_cast<unsigned>(i % 8);
  if (labelled && column == 0) {
    out = text::AppendRightAligned(out, static_cast<int64_t>(i), 6);
    out = text::AppendLiteral(out, ":  ");
  }
  out = text::AppendWord6(out, value);
  return column == 7 ? text::AppendLiteral(out, "\n") : text::AppendLiteral(out, "   ");
}

// "%6d:  %15.7e   " / "%15.7e   " / "%15.7e\n" for sample i.
char* AppendRealSample(char* out, uint64_t i, float value, bool labelled) {
  unsigned column = static_cast<unsigned>(i % 4);
  if (labelled && column == 0) {
    out = text::AppendRightAligned(out, static_cast<int64_t>(i), 6);
    out = text::AppendLiteral(out, ":  ");
  }
  out = text::AppendExp15_7(out, value);
  return column == 3 ? text::AppendLiteral(out, "\n") : text::AppendLiteral(out, "   ");
}

}  // namespace

bool ExportSamples(SampleForm form, io::File& binary, uint64_t count, bool labelled, TextWriter& out) {
  const size_t width = static_cast<size_t>(SampleBytes(form));
  std::vector<uint8_t> block(kBlockSamples * width);
  uint64_t i = 0;
  while (i < count) {
    size_t want = static_cast<size_t>(std::min<uint64_t>(kBlockSamples, count - i));
    size_t got = binary.Read(block.data(), want * width) / width;
    const uint8_t* p = block.data();
    for (size_t k = 0; k < got; ++k, ++i, p += width) {
      char* end = out.Reserve();
      end = form == SampleForm::Words ? AppendWordSample(end, i, LoadI16(p), labelled)
                                      : AppendRealSample(end, i, LoadF32(p), labelled);
      out.Advance(end);
    }
    if (got < want) return false;
  }
  return true;
}

bool ScanWordLine(const char* line, bool labelled, int needed, int16_t* values) {
  text::Scanner in(line);
  int64_t v;
  if (labelled && !(in.Integer(&v) && in.Match(":"))) return false;
  for (int k = 0; k < needed; ++k) {
    if (!in.Integer(&v) || v < INT16_MIN || v > INT16_MAX) return false;
    values[k] = static_cast<int16_t>(v);
  }
  return true;
}

bool ScanRealLine(const char* line, bool labelled, int needed, float* values) {
  text::Scanner in(line);
  int64_t index;
  if (labelled && !(in.Integer(&index, 6) && in.Match(":"))) return false;
  for (int k = 0; k < needed; ++k)
    if (!in.Real(&values[k])) return false;
  return true;
}

}  // namespace orvane
