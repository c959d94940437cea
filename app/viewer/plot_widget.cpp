#include "plot_widget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "mapped_samples.h"

namespace orvane::viewer {

PlotWidget::PlotWidget(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setMinimumSize(320, 200);
}

void PlotWidget::SetContent(PlotContent content) {
  content_ = std::move(content);
  ShowWhole();
}

void PlotWidget::ShowWhole() {
  view_ = WholeView(content_, size(), devicePixelRatioF());
  whole_ = true;
  ViewChanged();
}

void PlotWidget::SetView(const PlotView& view) {
  view_ = view;
  Clamp();
  ViewChanged();
}

void PlotWidget::ViewChanged() {
  update();
  if (pointerInside_) emit PointerRead(ReadOut(pointerX_));
}

void PlotWidget::TellReadFailed() const {
  auto* self = const_cast<PlotWidget*>(this);
  QMetaObject::invokeMethod(
      self, [self] { emit self->ReadFailed(); }, Qt::QueuedConnection);
}

double PlotWidget::SampleAt(double logicalX) const {
  return view_.start + (logicalX - kPlotLeft) * devicePixelRatioF() * view_.samplesPerPixel;
}

void PlotWidget::Clamp() {
  const double n = content_.pyramid ? double(content_.pyramid->Source().Count()) : 1;
  const double columns = DataArea(size()).width() * devicePixelRatioF();
  const double widest = std::max(n, 1.0) / columns;
  view_.samplesPerPixel = std::clamp(view_.samplesPerPixel, std::min(1.0 / 64, widest), widest);
  view_.start = std::clamp(view_.start, 0.0, std::max(0.0, n - columns * view_.samplesPerPixel));
  whole_ = view_.start == 0 && view_.samplesPerPixel == widest;
}

void PlotWidget::Zoom(double factor, double anchorX) {
  const double anchor = SampleAt(anchorX);
  view_.samplesPerPixel *= factor;
  view_.start = anchor - (anchorX - kPlotLeft) * devicePixelRatioF() * view_.samplesPerPixel;
  Clamp();
  ViewChanged();
}

void PlotWidget::Pan(double logicalPixels) {
  view_.start -= logicalPixels * devicePixelRatioF() * view_.samplesPerPixel;
  Clamp();
  ViewChanged();
}

void PlotWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!PaintPlot(painter, size(), devicePixelRatioF(), content_, view_)) TellReadFailed();
  if (selecting_) {
    painter.fillRect(QRectF(QPointF(std::min(pressX_, lastX_), kPlotTop),
                            QPointF(std::max(pressX_, lastX_), height() - kPlotBottom)),
                     QColor(80, 120, 220, 60));
  }
}

void PlotWidget::resizeEvent(QResizeEvent*) {
  // A whole record stays whole; a zoomed view keeps its start and scale.
  if (whole_) {
    ShowWhole();
  } else {
    Clamp();
    ViewChanged();
  }
}

void PlotWidget::wheelEvent(QWheelEvent* event) {
  const double steps = event->angleDelta().y() / 120.0;
  Zoom(std::pow(0.8, steps), event->position().x());
}

void PlotWidget::mousePressEvent(QMouseEvent* event) {
  pressX_ = lastX_ = pointerX_ = event->position().x();
  pointerInside_ = true;
  selecting_ = event->button() == Qt::RightButton ||
               (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ShiftModifier));
  dragging_ = !selecting_ && event->button() == Qt::LeftButton;
}

void PlotWidget::mouseMoveEvent(QMouseEvent* event) {
  const double x = event->position().x();
  pointerX_ = x;
  pointerInside_ = true;
  if (dragging_) Pan(x - lastX_);
  lastX_ = x;
  if (selecting_) update();
  emit PointerRead(ReadOut(x));
}

QString PlotWidget::ReadOut(double logicalX) const {
  if (!content_.pyramid || logicalX < kPlotLeft || logicalX >= kPlotLeft + DataArea(size()).width())
    return {};
  // The samples of the device pixel under the pointer: one, or a stretch
  // told by its range.
  const SampleSource& source = content_.pyramid->Source();
  const double from = SampleAt(logicalX);
  const double to = from + std::max(1.0, view_.samplesPerPixel);
  const auto first = static_cast<uint64_t>(std::max(0.0, std::floor(from)));
  const auto last = static_cast<uint64_t>(std::min(double(source.Count()), std::floor(to)));
  if (first >= source.Count() || content_.unreadable) return {};
  if (last <= first + 1) {
    std::vector<float> value;
    if (!ReadSamples(source, first, 1, &value) || value.empty()) {
      TellReadFailed();
      return {};
    }
    return QStringLiteral("sample %1: %2").arg(first).arg(double(value[0]), 0, 'g', 8);
  }
  MinMax range;
  if (!ReadRange(*content_.pyramid, first, last, &range)) {
    TellReadFailed();
    return {};
  }
  QString text = range.Empty() ? QStringLiteral("samples %1 to %2: no finite value").arg(first).arg(last - 1)
                               : QStringLiteral("samples %1 to %2: %3 to %4")
                                     .arg(first)
                                     .arg(last - 1)
                                     .arg(double(range.min), 0, 'g', 8)
                                     .arg(double(range.max), 0, 'g', 8);
  if (range.nonFinite && !range.Empty()) text += QStringLiteral(" and non-finite values");
  return text;
}

void PlotWidget::leaveEvent(QEvent*) {
  pointerInside_ = false;
  emit PointerRead({});
}

void PlotWidget::mouseReleaseEvent(QMouseEvent* event) {
  pointerX_ = event->position().x();
  const bool zoom = selecting_ && std::abs(event->position().x() - pressX_) > 3;
  selecting_ = dragging_ = false;
  if (zoom) {
    const double a = SampleAt(std::min(pressX_, event->position().x()));
    const double b = SampleAt(std::max(pressX_, event->position().x()));
    SetView({a, (b - a) / (DataArea(size()).width() * devicePixelRatioF())});
  }
  update();
}

void PlotWidget::keyPressEvent(QKeyEvent* event) {
  const double middle = kPlotLeft + DataArea(size()).width() / 2.0;
  switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal: Zoom(0.5, middle); break;
    case Qt::Key_Minus: Zoom(2.0, middle); break;
    case Qt::Key_Left: Pan(DataArea(size()).width() / 8.0); break;
    case Qt::Key_Right: Pan(-DataArea(size()).width() / 8.0); break;
    case Qt::Key_Home: ShowWhole(); break;
    default: QWidget::keyPressEvent(event);
  }
}

}  // namespace orvane::viewer
