#include "plot_widget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

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
  update();
}

double PlotWidget::SampleAt(double logicalX) const {
  return view_.start + (logicalX - kPlotLeft) * devicePixelRatioF() * view_.samplesPerPixel;
}

void PlotWidget::Clamp() {
  const double n = content_.pyramid ? double(content_.pyramid->Source().Count()) : 1;
  const double columns = DataArea(size()).width() * devicePixelRatioF();
  view_.samplesPerPixel = std::clamp(view_.samplesPerPixel, 1.0 / 64, std::max(n, 1.0) / columns);
  view_.start = std::clamp(view_.start, 0.0, std::max(0.0, n - columns * view_.samplesPerPixel));
}

void PlotWidget::Zoom(double factor, double anchorX) {
  const double anchor = SampleAt(anchorX);
  view_.samplesPerPixel *= factor;
  view_.start = anchor - (anchorX - kPlotLeft) * devicePixelRatioF() * view_.samplesPerPixel;
  Clamp();
  update();
}

void PlotWidget::Pan(double logicalPixels) {
  view_.start -= logicalPixels * devicePixelRatioF() * view_.samplesPerPixel;
  Clamp();
  update();
}

void PlotWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintPlot(painter, size(), devicePixelRatioF(), content_, view_);
  if (selecting_) {
    painter.fillRect(QRectF(QPointF(std::min(pressX_, lastX_), kPlotTop),
                            QPointF(std::max(pressX_, lastX_), height() - kPlotBottom)),
                     QColor(80, 120, 220, 60));
  }
}

void PlotWidget::resizeEvent(QResizeEvent*) {
  const bool whole = view_.start == 0 && content_.pyramid;
  if (whole) ShowWhole();
  Clamp();
}

void PlotWidget::wheelEvent(QWheelEvent* event) {
  const double steps = event->angleDelta().y() / 120.0;
  Zoom(std::pow(0.8, steps), event->position().x());
}

void PlotWidget::mousePressEvent(QMouseEvent* event) {
  pressX_ = lastX_ = event->position().x();
  selecting_ = event->button() == Qt::RightButton ||
               (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ShiftModifier));
  dragging_ = !selecting_ && event->button() == Qt::LeftButton;
}

void PlotWidget::mouseMoveEvent(QMouseEvent* event) {
  const double x = event->position().x();
  if (dragging_) Pan(x - lastX_);
  lastX_ = x;
  if (selecting_) update();
  if (content_.pyramid && DataArea(size()).contains(event->position().toPoint())) {
    const double s = std::floor(SampleAt(x));
    const SampleSource& source = content_.pyramid->Source();
    if (s >= 0 && s < double(source.Count()))
      emit PointerRead(QStringLiteral("sample %1: %2")
                           .arg(static_cast<qint64>(s))
                           .arg(double(source.At(static_cast<uint64_t>(s))), 0, 'g', 8));
  }
}

void PlotWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (selecting_ && std::abs(event->position().x() - pressX_) > 3) {
    const double a = SampleAt(std::min(pressX_, event->position().x()));
    const double b = SampleAt(std::max(pressX_, event->position().x()));
    view_.start = a;
    view_.samplesPerPixel = (b - a) / (DataArea(size()).width() * devicePixelRatioF());
    Clamp();
  }
  selecting_ = dragging_ = false;
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
