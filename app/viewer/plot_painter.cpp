#include "plot_painter.h"

#include <QPainterPath>
#include <algorithm>
#include <cmath>

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

QString TickText(double value) {
  return QString::number(value, 'g', 6);
}

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

void PaintAxes(QPainter& p, const QRect& area, const ValueAxis& axis, const PlotView& view, double dpr) {
  p.setPen(QPen(Qt::black, 0));
  p.drawRect(area);
  const QFontMetrics metrics(p.font());
  const double step = TickStep(axis.hi - axis.lo, std::max(2, area.height() / 40));
  for (double v = std::ceil(axis.lo / step) * step; v <= axis.hi; v += step) {
    const double y = axis.Y(std::abs(v) < step * 1e-9 ? 0 : v);
    p.setPen(QPen(QColor(225, 225, 225), 0));
    p.drawLine(QPointF(area.left() + 1, y), QPointF(area.right(), y));
    p.setPen(QPen(Qt::black, 0));
    p.drawLine(QPointF(area.left() - 4, y), QPointF(area.left(), y));
    const QString text = TickText(std::abs(v) < step * 1e-9 ? 0 : v);
    p.drawText(QRectF(0, y - 8, area.left() - 6, 16), Qt::AlignRight | Qt::AlignVCenter, text);
  }
  const double perLogical = view.samplesPerPixel * dpr;
  const double first = view.start, last = view.start + area.width() * perLogical;
  const double istep = std::max(1.0, TickStep(last - first, std::max(2, area.width() / 90)));
  for (double s = std::ceil(first / istep) * istep; s <= last; s += istep) {
    const double x = area.left() + (s - first) / perLogical;
    p.drawLine(QPointF(x, area.bottom()), QPointF(x, area.bottom() + 4));
    const QString text = QString::number(static_cast<qint64>(s));
    const double w = metrics.horizontalAdvance(text);
    p.drawText(QRectF(x - w / 2 - 2, area.bottom() + 5, w + 4, 16), Qt::AlignCenter, text);
  }
}

// M4 drawing: per device column a vertical stroke from min to max, joined to
// the neighbours through the first and last samples. Columns without a finite
// sample leave a gap; non-finite samples are marked on the index axis.
void PaintColumns(QPainter& p, const QRect& area, const ValueAxis& axis, const std::vector<M4Column>& columns,
                  double dpr) {
  QPainterPath path;
  QPainterPath marks;
  bool joined = false;
  for (size_t i = 0; i < columns.size(); ++i) {
    const M4Column& c = columns[i];
    const double x = area.left() + (i + 0.5) / dpr;
    if (c.range.nonFinite) marks.addRect(QRectF(x - 0.5 / dpr, area.bottom() - 5, 1 / dpr, 5));
    if (c.begin >= c.end || c.range.Empty()) {
      joined = false;
      continue;
    }
    const bool ends = std::isfinite(c.first) && std::isfinite(c.last);
    if (joined && std::isfinite(c.first))
      path.lineTo(x, axis.Y(c.first));
    else
      path.moveTo(x, axis.Y(std::isfinite(c.first) ? c.first : c.range.min));
    path.moveTo(x, axis.Y(c.range.min) + 0.5 / dpr);
    path.lineTo(x, axis.Y(c.range.max) - 0.5 / dpr);
    path.moveTo(x, axis.Y(std::isfinite(c.last) ? c.last : c.range.max));
    joined = ends && !c.range.nonFinite;
  }
  p.setPen(QPen(QColor(20, 60, 160), 1 / dpr));
  p.drawPath(path);
  p.fillPath(marks, QColor(200, 0, 0));
}

// Raw samples as steps, a dot on each sample once samples are far apart.
void PaintSteps(QPainter& p, const QRect& area, const ValueAxis& axis, const SampleSource& source,
                const PlotView& view, double dpr) {
  const double perLogical = view.samplesPerPixel * dpr;
  const int64_t first = std::max<int64_t>(0, static_cast<int64_t>(std::floor(view.start)));
  const int64_t last = std::min<int64_t>(static_cast<int64_t>(source.Count()),
                                         static_cast<int64_t>(std::ceil(view.start + area.width() * perLogical)) + 1);
  auto X = [&](double s) { return area.left() + (s - view.start) / perLogical; };
  QPainterPath path, marks;
  bool joined = false;
  const bool dots = 1 / perLogical >= 6;
  QPainterPath dotPath;
  for (int64_t i = first; i < last; ++i) {
    const float v = source.At(static_cast<uint64_t>(i));
    if (!std::isfinite(v)) {
      marks.addRect(QRectF(X(i + 0.5) - 1, area.bottom() - 5, 2, 5));
      joined = false;
      continue;
    }
    const double y = axis.Y(v);
    if (joined)
      path.lineTo(X(i), y);
    else
      path.moveTo(X(i), y);
    path.lineTo(X(i + 1), y);
    if (dots) dotPath.addEllipse(QPointF(X(i + 0.5), y), 2, 2);
    joined = true;
  }
  p.setPen(QPen(QColor(20, 60, 160), 1 / dpr));
  p.drawPath(path);
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

void PaintPlot(QPainter& p, QSize logical, double dpr, const PlotContent& content, const PlotView& view) {
  p.fillRect(QRect(QPoint(0, 0), logical), Qt::white);
  const QRect area = DataArea(logical);
  const int deviceColumns = static_cast<int>(std::floor(area.width() * dpr));
  std::vector<M4Column> columns;
  const bool raw = view.samplesPerPixel < 2;
  if (content.pyramid && content.pyramid->Source().Count() > 0) {
    if (raw) {
      // The value range still comes from the pyramid, one column per device pixel.
      const int64_t first = static_cast<int64_t>(std::floor(view.start));
      columns.push_back({});
      columns.back().range = content.pyramid->Query(
          static_cast<uint64_t>(std::max<int64_t>(0, first)),
          static_cast<uint64_t>(std::max(0.0, std::ceil(view.start + deviceColumns * view.samplesPerPixel) + 1)));
    } else {
      const int64_t firstColumn = static_cast<int64_t>(std::floor(view.start / view.samplesPerPixel));
      columns = ComputeM4(*content.pyramid, firstColumn, static_cast<size_t>(deviceColumns), view.samplesPerPixel);
    }
  }
  const ValueAxis axis = FitValues(columns, area);
  PaintAxes(p, area, axis, view, dpr);
  p.save();
  p.setClipRect(area.adjusted(1, 1, 0, 0));
  if (content.pyramid && raw)
    PaintSteps(p, area, axis, content.pyramid->Source(), view, dpr);
  else if (content.pyramid)
    PaintColumns(p, area, axis, columns, dpr);
  p.restore();
  if (!content.message.isEmpty()) {
    p.setPen(QColor(160, 0, 0));
    p.drawText(area.adjusted(8, 6, -8, -6), Qt::AlignTop | Qt::AlignLeft | Qt::TextWordWrap, content.message);
  }
}

QImage RenderPlot(QSize logical, double dpr, const PlotContent& content, const PlotView& view) {
  QImage image(logical * dpr, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(dpr);
  QPainter painter(&image);
  PaintPlot(painter, logical, dpr, content, view);
  return image;
}

}  // namespace orvane::viewer
