#include "trace_raster.h"

#include <algorithm>
#include <cmath>

namespace orvane::viewer {
namespace {

constexpr QRgb kBackground = 0xFFFFFFFF;
constexpr QRgb kGrid = 0xFFE1E1E1;
constexpr QRgb kTrace = 0xFF143CA0;

// Whether the line runs on from column c to the next one.
bool Joins(const M4Column& c, const M4Column& next) {
  return c.begin < c.end && next.begin < next.end && !c.range.nonFinite && !next.range.nonFinite &&
         !c.range.Empty() && !next.range.Empty();
}

}  // namespace

std::vector<ColumnSpan> ColumnSpans(const std::vector<M4Column>& columns,
                                    const std::function<int(double)>& row, int rows) {
  std::vector<ColumnSpan> spans(columns.size());
  for (size_t i = 0; i < columns.size(); ++i) {
    const M4Column& c = columns[i];
    if (c.begin >= c.end || c.range.Empty()) continue;
    double lo = c.range.min, hi = c.range.max;
    if (i > 0 && Joins(columns[i - 1], c)) {
      const double middle = (double(columns[i - 1].last) + c.first) / 2;
      lo = std::min(lo, middle);
      hi = std::max(hi, middle);
    }
    if (i + 1 < columns.size() && Joins(c, columns[i + 1])) {
      const double middle = (double(c.last) + columns[i + 1].first) / 2;
      lo = std::min(lo, middle);
      hi = std::max(hi, middle);
    }
    spans[i].top = std::clamp(row(hi), 0, rows - 1);
    spans[i].bottom = std::clamp(row(lo), 0, rows - 1);
  }
  return spans;
}

void RasterTrace(QImage& image, const std::vector<int>& gridRows, const std::vector<ColumnSpan>& spans) {
  image.fill(kBackground);
  const int width = image.width(), height = image.height();
  for (int y : gridRows)
    if (y >= 0 && y < height) std::fill_n(reinterpret_cast<QRgb*>(image.scanLine(y)), width, kGrid);
  QRgb* const bits = reinterpret_cast<QRgb*>(image.bits());
  const qsizetype stride = image.bytesPerLine() / qsizetype(sizeof(QRgb));
  const int columns = std::min<int>(width, static_cast<int>(spans.size()));
  for (int x = 0; x < columns; ++x)
    for (int y = spans[x].top; y <= spans[x].bottom; ++y) bits[y * stride + x] = kTrace;
}

}  // namespace orvane::viewer
