// The interactive plot: wheel or +/- zoom, drag or arrow-key pan, Home for
// the whole record, shift-drag or right-drag to zoom to a range. Every
// change of the view tells the read-out under the pointer afresh.
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
  // Shows view, kept inside the record.
  void SetView(const PlotView& view);
  // The view shows the whole record.
  bool ShowsWhole() const { return whole_; }
  const PlotContent& Content() const { return content_; }
  void ShowWhole();
  void Zoom(double factor, double anchorX);
  void Pan(double logicalPixels);
  // What lies under the pointer at logicalX: a sample's index and value, or
  // the range of the samples of a device pixel; empty outside the data, and
  // when the samples cannot be read (ReadFailed() follows).
  QString ReadOut(double logicalX) const;
  // The sample index at logicalX (fractional).
  double SampleAt(double logicalX) const;

 signals:
  void PointerRead(const QString& text);
  // The samples could not be read: the file changed under its mapping.
  // Sent once the event that found it is over (drawing, a read-out).
  void ReadFailed();

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
  // After every change of the view: repaint, and read out afresh what lies
  // under the pointer.
  void ViewChanged();
  void TellReadFailed() const;
  PlotContent content_;
  PlotView view_;
  bool whole_ = true;  // the view shows the whole record (and keeps doing so on resizing)
  bool dragging_ = false, selecting_ = false;
  double pressX_ = 0, lastX_ = 0;
  bool pointerInside_ = false;
  double pointerX_ = 0;  // where the pointer was last seen over the plot
};

}  // namespace orvane::viewer
