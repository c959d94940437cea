// The picture of one record: M4 columns per device pixel, or the raw samples
// as steps once a device pixel holds fewer than two samples, with axes.
// Used by the window's plot and by --render alike.
#pragma once

#include <QImage>
#include <QPainter>
#include <QString>
#include <memory>

#include "decimation.h"

namespace orvane::viewer {

// Which stretch of the record the plot shows.
struct PlotView {
  double start = 0;            // sample index at the left edge of the data area
  double samplesPerPixel = 1;  // per device pixel
};

struct PlotContent {
  std::shared_ptr<const MinMaxPyramid> pyramid;  // null: nothing to draw
  QString message;                               // shown over the plot (errors, early end)
  // Keeps the file's mapping, into which the pyramid's samples point, for
  // as long as the content is drawn (a PulseFileView).
  std::shared_ptr<const void> mapping;
  // The samples could not be read: the file changed under its mapping.
  bool unreadable = false;

  // Nothing to draw, only message to say.
  static PlotContent Saying(QString message) {
    PlotContent content;
    content.message = std::move(message);
    return content;
  }
};

// Said over the plot when the samples could not be read.
inline const char kFileChangedWhileDrawn[] = "The file changed on disk while it was drawn.";

// Margins of the data area inside the plot, logical pixels.
constexpr int kPlotLeft = 64, kPlotRight = 12, kPlotTop = 10, kPlotBottom = 28;

QRect DataArea(QSize logical);
// A view of the whole record for a plot of that logical size.
PlotView WholeView(const PlotContent& content, QSize logical, double dpr);
// Draws the plot into painter over [0, logical); dpr is the device pixels
// per logical one. The samples are read guarded: false when they could not
// be read (the file changed under its mapping), and the plot then says so
// instead of showing them.
bool PaintPlot(QPainter& painter, QSize logical, double dpr, const PlotContent& content,
               const PlotView& view);
// The picture as an image of logical size times dpr; *read (if given) as
// PaintPlot returns. A null image when one of that size cannot be made.
QImage RenderPlot(QSize logical, double dpr, const PlotContent& content, const PlotView& view,
                  bool* read = nullptr);

}  // namespace orvane::viewer
