// The interactive plot: wheel or +/- zoom, drag or arrow-key pan, Home for
// the whole record, shift-drag or right-drag to zoom to a range.
#pragma once

#include <QWidget>

#include "plot_painter.h"

namespace orvane::viewer {

class PlotWidget : public QWidget {
  Q_OBJECT
 public:
  explicit PlotWidget(QWidget* parent = nullptr);
  void SetContent(PlotContent content);
  const PlotView& View() const { return view_; }
  const PlotContent& Content() const { return content_; }
  void ShowWhole();
  void Zoom(double factor, double anchorX);
  void Pan(double logicalPixels);
  // What lies under the pointer at logicalX: a sample's index and value, or
  // the range of the samples of a device pixel; empty outside the data.
  QString ReadOut(double logicalX) const;
  // The sample index at logicalX (fractional).
  double SampleAt(double logicalX) const;

 signals:
  void PointerRead(const QString& text);

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void wheelEvent(QWheelEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void keyPressEvent(QKeyEvent*) override;
  void leaveEvent(QEvent*) override;

 private:
  void Clamp();
  PlotContent content_;
  PlotView view_;
  bool whole_ = true;  // the view shows the whole record (and keeps doing so on resizing)
  bool dragging_ = false, selecting_ = false;
  double pressX_ = 0, lastX_ = 0;
};

}  // namespace orvane::viewer
