// The M4 trace as pixels: per device column one vertical span, written
// straight into an image of the data area. A full view of a noisy record
// covers most of the area's million pixels; written directly they cost about
// a millisecond, through the painter's rectangle fills several.
#pragma once

#include <QImage>
#include <functional>
#include <vector>

#include "decimation.h"

namespace orvane::viewer {

// Device rows of a column's span, top <= bottom; top > bottom: nothing.
struct ColumnSpan {
  int top = 1, bottom = 0;
};

// The span of each column in an area `rows` device rows high, row(v) giving
// the device row of value v: from the highest to the lowest sample, stretched
// half way to the neighbours' last and first samples where the line runs on,
// so that the columns join into the line through first, min, max and last.
// Columns without a finite sample, and the joins at non-finite samples, are
// left out: the line has a gap there.
std::vector<ColumnSpan> ColumnSpans(const std::vector<M4Column>& columns,
                                    const std::function<int(double)>& row, int rows);

// Fills image (Format_RGB32) with the background, the grid rows given and the spans.
void RasterTrace(QImage& image, const std::vector<int>& gridRows, const std::vector<ColumnSpan>& spans);

}  // namespace orvane::viewer
