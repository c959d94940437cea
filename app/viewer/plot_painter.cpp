#include "plot_painter.h"

#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "mapped_samples.h"
#include "trace_raster.h"

namespace orvane::viewer {
namespace {

// Round tick steps (1, 2, 5 times a power of ten) giving about `wanted` ticks.
double TickStep(double span, int wanted) {
  if (!(span > 0)) return 1;
  const double raw = span / std::max(wanted, 1);
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0, 10.0})
    if (m * power >= raw) return m * power;
  return 10 * power;
}

QString TickText(double value) { return QString::number(value, 'g', 6); }

struct ValueAxis {
  double lo, hi;
  double top, bottom;  // logical y
  double Y(double v) const { return bottom - (v - lo) / (hi - lo) * (bottom - top); }
};

ValueAxis FitValues(const std::vector<M4Column>& columns, const QRect& area) {
  MinMax all;
  for (const M4Column& c : columns) all.Merge(c.range);
  double lo = all.Empty() ? -1 : all.min, hi = all.Empty() ? 1 : all.max;
  if (hi - lo < 1e-30) {
    lo -= 1;
    hi += 1;
  }
  const double pad = (hi - lo) * 0.05;
  return {lo - pad, hi + pad, double(area.top()), double(area.bottom())};
}

// The values that get a tick, a label and a grid line.
std::vector<double> ValueTicks(const ValueAxis& axis, const QRect& area) {
  std::vector<double> ticks;
  const double step = TickStep(axis.hi - axis.lo, std::max(2, area.height() / 40));
  for (double v = std::ceil(axis.lo / step) * step; v <= axis.hi; v += step)
    ticks.push_back(std::abs(v) < step * 1e-9 ? 0 : v);
  return ticks;
}

// The frame just outside the data area, ticks and labels; the grid lies under the trace.
void PaintAxes(QPainter& p, QSize logical, const QRect& area, const ValueAxis& axis, const PlotView& view,
               double dpr) {
  p.setPen(QPen(Qt::black, 0));
  p.drawRect(area.adjusted(-1, -1, 0, 0));
  // Measured on the device drawn on: the screen's metrics may differ.
  const QFontMetricsF metrics(p.font(), p.device());
  for (double v : ValueTicks(axis, area)) {
    const double y = axis.Y(v);
    p.drawLine(QPointF(area.left() - 5, y), QPointF(area.left() - 1, y));
    p.drawText(QRectF(0, y - 8, area.left() - 7, 16), Qt::AlignRight | Qt::AlignVCenter, TickText(v));
  }
  const double perLogical = view.samplesPerPixel * dpr;
  const double first = view.start, last = view.start + area.width() * perLogical;
  const double istep = std::max(1.0, TickStep(last - first, std::max(2, area.width() / 90)));
  // The record's end gets its tick when it falls on one, though the width
  // times the scale may come out a rounding error short of it.
  const double end = last + istep * 1e-9;
  for (double s = std::ceil(first / istep) * istep; s <= end; s += istep) {
    const double x = area.left() + (s - first) / perLogical;
    p.drawLine(QPointF(x, area.bottom() + 1), QPointF(x, area.bottom() + 5));
    const QString text = QString::number(static_cast<qint64>(std::round(s)));
    const double w = std::max(metrics.horizontalAdvance(text), metrics.boundingRect(text).width()) + 4;
    // Labels at the ends stay inside the picture.
    const double left = std::max(0.0, std::min(x - w / 2, logical.width() - 1 - w));
    p.drawText(QRectF(left, area.bottom() + 6, w, 16), Qt::AlignCenter | Qt::TextDontClip, text);
  }
}

void PaintGrid(QPainter& p, const QRect& area, const ValueAxis& axis) {
  p.setPen(QPen(QColor(225, 225, 225), 0));
  for (double v : ValueTicks(axis, area))
    p.drawLine(QPointF(area.left(), axis.Y(v)), QPointF(area.right(), axis.Y(v)));
}

// The trace's pen: one device pixel wide whatever the scale, so that the
// raster engine draws it on its fast path, without stroking.
QPen TracePen() {
  QPen pen(QColor(20, 60, 160), 1);
  pen.setCosmetic(true);
  return pen;
}

// Draws the runs of points collected in polyline and starts a new run.
void FlushRun(QPainter& p, QPolygonF& polyline) {
  if (polyline.size() == 1) p.drawPoint(polyline.front());
  if (polyline.size() > 1) p.drawPolyline(polyline);
  polyline.clear();
}

// Marks on the index axis where non-finite samples lie.
void PaintNonFiniteMarks(QPainter& p, const QRect& area, const std::vector<M4Column>& columns, double dpr) {
  QPainterPath marks;
  for (size_t i = 0; i < columns.size(); ++i)
    if (columns[i].range.nonFinite)
      marks.addRect(QRectF(area.left() + i / dpr, area.bottom() - 4, 1 / dpr, 5));
  p.fillPath(marks, QColor(200, 0, 0));
}

// M4 drawing: the trace and grid as one image of the data area in device
// pixels (see trace_raster.h), the image kept between pictures of one size.
void PaintColumns(QPainter& p, const QRect& area, const ValueAxis& axis, const std::vector<M4Column>& columns,
                  double dpr) {
  static thread_local QImage image;
  const QSize device(static_cast<int>(columns.size()),
                     std::max(1, static_cast<int>(std::floor(area.height() * dpr))));
  if (image.size() != device) image = QImage(device, QImage::Format_RGB32);
  auto row = [&](double v) { return static_cast<int>(std::floor((axis.Y(v) - area.top()) * dpr)); };
  std::vector<int> grid;
  for (double v : ValueTicks(axis, area)) grid.push_back(row(v));
  RasterTrace(image, grid, ColumnSpans(columns, row, device.height()));
  image.setDevicePixelRatio(dpr);
  p.drawImage(QPointF(area.topLeft()), image);
  PaintNonFiniteMarks(p, area, columns, dpr);
}

// The samples a view of raw samples draws: [first, last) of the record.
struct SampleStretch {
  uint64_t first = 0, last = 0;
};

SampleStretch VisibleSamples(const QRect& area, uint64_t count, const PlotView& view, double dpr) {
  const double end = std::ceil(view.start + area.width() * view.samplesPerPixel * dpr) + 1;
  SampleStretch stretch;
  stretch.first = static_cast<uint64_t>(std::max(0.0, std::floor(view.start)));
  stretch.last = static_cast<uint64_t>(std::clamp(end, 0.0, static_cast<double>(count)));
  stretch.first = std::min(stretch.first, stretch.last);
  return stretch;
}

// Raw samples as steps, a dot on each sample once samples are far apart;
// values holds the samples of the stretch, read beforehand.
void PaintSteps(QPainter& p, const QRect& area, const ValueAxis& axis, const std::vector<float>& values,
                SampleStretch stretch, const PlotView& view, double dpr) {
  const double perLogical = view.samplesPerPixel * dpr;
  auto X = [&](double s) { return area.left() + (s - view.start) / perLogical; };
  QPolygonF run;
  QPainterPath marks, dotPath;
  const bool dots = 1 / perLogical >= 6;
  p.setPen(TracePen());
  for (size_t k = 0; k < values.size(); ++k) {
    const double i = static_cast<double>(stretch.first + k);
    const float v = values[k];
    if (!std::isfinite(v)) {
      marks.addRect(QRectF(X(i + 0.5) - 1, area.bottom() - 5, 2, 5));
      FlushRun(p, run);
      continue;
    }
    const double y = axis.Y(v);
    run << QPointF(X(i), y) << QPointF(X(i + 1), y);
    if (dots) dotPath.addEllipse(QPointF(X(i + 0.5), y), 2, 2);
  }
  FlushRun(p, run);
  p.fillPath(dotPath, QColor(20, 60, 160));
  p.fillPath(marks, QColor(200, 0, 0));
}

}  // namespace

QRect DataArea(QSize logical) {
  return QRect(kPlotLeft, kPlotTop, std::max(1, logical.width() - kPlotLeft - kPlotRight),
               std::max(1, logical.height() - kPlotTop - kPlotBottom));
}

PlotView WholeView(const PlotContent& content, QSize logical, double dpr) {
  PlotView view;
  const double columns = DataArea(logical).width() * dpr;
  const double n = content.pyramid ? static_cast<double>(content.pyramid->Source().Count()) : 1;
  view.samplesPerPixel = std::max(n, 1.0) / columns;
  return view;
}

bool PaintPlot(QPainter& p, QSize logical, double dpr, const PlotContent& content, const PlotView& view) {
  p.fillRect(QRect(QPoint(0, 0), logical), Qt::white);
  const QRect area = DataArea(logical);
  const int deviceColumns = static_cast<int>(std::floor(area.width() * dpr));
  std::vector<M4Column> columns;
  std::vector<float> values;
  SampleStretch stretch;
  const bool raw = view.samplesPerPixel < 2;
  bool read = !content.unreadable;
  if (read && content.pyramid && content.pyramid->Source().Count() > 0) {
    const MinMaxPyramid& pyramid = *content.pyramid;
    if (raw) {
      // The value range still comes from the pyramid, one column per device pixel.
      stretch = VisibleSamples(area, pyramid.Source().Count(), view, dpr);
      columns.resize(1);
      read = ReadRange(pyramid, stretch.first, stretch.last, &columns.back().range) &&
             ReadSamples(pyramid.Source(), stretch.first, stretch.last - stretch.first, &values);
    } else {
      const int64_t firstColumn = static_cast<int64_t>(std::floor(view.start / view.samplesPerPixel));
      read = ReadM4(pyramid, firstColumn, static_cast<size_t>(deviceColumns), view.samplesPerPixel, &columns);
    }
    if (!read) columns.clear();
  }
  const bool trace = read && content.pyramid;
  const ValueAxis axis = FitValues(columns, area);
  p.save();
  p.setClipRect(area);
  if (trace && !raw) {
    PaintColumns(p, area, axis, columns, dpr);
  } else {
    PaintGrid(p, area, axis);
    if (trace) PaintSteps(p, area, axis, values, stretch, view, dpr);
  }
  p.restore();
  PaintAxes(p, logical, area, axis, view, dpr);
  const QString message = read ? content.message : QString::fromLatin1(kFileChangedWhileDrawn);
  if (!message.isEmpty()) {
    p.setPen(QColor(160, 0, 0));
    p.drawText(area.adjusted(8, 6, -8, -6), Qt::AlignTop | Qt::AlignLeft | Qt::TextWordWrap, message);
  }
  return read;
}

QImage RenderPlot(QSize logical, double dpr, const PlotContent& content, const PlotView& view, bool* read) {
  QImage image(logical * dpr, QImage::Format_ARGB32_Premultiplied);
  if (image.isNull()) return image;
  image.setDevicePixelRatio(dpr);
  QPainter painter(&image);
  const bool whole = PaintPlot(painter, logical, dpr, content, view);
  if (read) *read = whole;
  return image;
}

}  // namespace orvane::viewer
