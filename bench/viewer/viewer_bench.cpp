// The record viewer's speed and memory on one pulse file, offscreen:
//   - first picture: the window opening the file, listing its records,
//     building the pyramid of its largest record (or the one named) and
//     painting the whole record, as the viewer does on start; and the
//     opening and the pyramid by themselves;
//   - zoom and pan frames of that plot at the given width: wheel steps in to
//     single samples and out again, arrow-key pans at several depths, each
//     step repainted at once; then the same views once more, decimation
//     alone and picture painted into an image;
//   - memory beyond the mapped file: the process's anonymous resident memory
//     (RssAnon) before the file is opened and at the end, and the pyramid's
//     own size.
// Frames are timed in wall time and in the CPU time of the thread that
// paints: on a shared machine the second is the cost of a frame without
// the waits for a core.
// Usage: viewer_bench FILE [--record NAME] [--width PIXELS] [--runs N]
#include <time.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QThread>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "plot_widget.h"
#include "record_list.h"
#include "viewer_window.h"

namespace {

using orvane::PulseFileView;
using orvane::RecordView;
using orvane::viewer::PlotView;
using orvane::viewer::PlotWidget;
using orvane::viewer::ViewerWindow;

// A field of /proc/self/status in kB.
long StatusKb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string prefix = std::string(field) + ":";
  while (std::getline(status, line))
    if (line.rfind(prefix, 0) == 0) return std::atol(line.c_str() + prefix.size());
  return -1;
}

double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

size_t LargestRecord(const PulseFileView& file) {
  size_t best = 0;
  for (size_t i = 0; i < file.Records().size(); ++i)
    if (file.Records()[i].samples.size() > file.Records()[best].samples.size()) best = i;
  return best;
}

// Wall and thread CPU milliseconds of a kind of step.
struct Timings {
  std::vector<double> wall, cpu;
  template <typename Step>
  void Time(Step step) {
    QElapsedTimer timer;
    timer.start();
    const double cpu0 = ThreadCpuMs();
    step();
    cpu.push_back(ThreadCpuMs() - cpu0);
    wall.push_back(timer.nsecsElapsed() / 1e6);
  }
};

void Report(const char* what, Timings t) {
  auto at = [](std::vector<double>& v, size_t percent) {
    return v[std::min(v.size() - 1, v.size() * percent / 100)];
  };
  std::sort(t.wall.begin(), t.wall.end());
  std::sort(t.cpu.begin(), t.cpu.end());
  std::printf(
      "%-34s wall median %6.2f  p95 %6.2f  max %6.2f | CPU median %6.2f  p95 %6.2f  max %6.2f ms (%zu)\n",
      what, at(t.wall, 50), at(t.wall, 95), t.wall.back(), at(t.cpu, 50), at(t.cpu, 95), t.cpu.back(),
      t.wall.size());
}

void WaitUntilExposed(QWidget& widget) {
  for (int i = 0; i < 2000 && !(widget.windowHandle() && widget.windowHandle()->isExposed()); ++i) {
    QApplication::processEvents();
    QThread::msleep(1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  const QStringList args = app.arguments().mid(1);
  QString record, path;
  int width = 1920, runs = 5;
  for (int i = 0; i < args.size(); ++i) {
    if (args[i] == "--record" && i + 1 < args.size())
      record = args[++i].toUpper();
    else if (args[i] == "--width" && i + 1 < args.size())
      width = args[++i].toInt();
    else if (args[i] == "--runs" && i + 1 < args.size())
      runs = args[++i].toInt();
    else
      path = args[i];
  }
  if (path.isEmpty() || width < 100 || runs < 1) {
    std::fprintf(stderr, "usage: viewer_bench FILE [--record NAME] [--width PIXELS] [--runs N]\n");
    return 2;
  }
  // The first picture as the window shows it: open, list, pyramid, paint.
  ViewerWindow window;
  window.resize(1600, 800);
  window.show();
  WaitUntilExposed(window);
  const long anonBefore = StatusKb("RssAnon");
  std::shared_ptr<const PulseFileView> file =
      PulseFileView::Open(path.toStdString(), PulseFileView::Verify::Salvage);
  if (!file || file->Records().empty()) return std::fprintf(stderr, "viewer_bench: no records\n"), 1;
  const size_t index = record.isEmpty()
                           ? LargestRecord(*file)
                           : size_t(std::max(0, orvane::viewer::FindRecord(*file, record.toStdString())));
  const QString name = QString::fromStdString(file->Records()[index].Name());
  const RecordView rec = file->Records()[index];
  std::printf("file %s, %.1f MB; record %s, %llu samples of %u bytes; plot %d device pixels wide\n",
              qPrintable(path), file->Length() / 1e6, rec.Name().c_str(),
              static_cast<unsigned long long>(rec.SampleCount()), rec.Info().sampleBytes, width);
  // The parts of the first picture, one by one: the file's opening and check, the pyramid.
  Timings first, opening, building;
  for (int run = 0; run < runs; ++run) {
    file.reset();
    opening.Time([&] { file = PulseFileView::Open(path.toStdString(), PulseFileView::Verify::Salvage); });
    building.Time([&] { orvane::viewer::LoadRecord(*file, index); });
  }
  file.reset();
  for (int run = 0; run <= runs; ++run) {  // run 0 warms the page cache
    window.OpenFile(QString());
    QElapsedTimer timer;
    timer.start();
    window.OpenFile(path, name);
    window.Plot()->repaint();
    if (run) first.wall.push_back(timer.nsecsElapsed() / 1e6);
  }
  auto wallOnly = [](const char* what, std::vector<double> v) {
    std::sort(v.begin(), v.end());
    std::printf("%-34s wall median %6.1f  max %6.1f ms (%zu)\n", what, v[v.size() / 2], v.back(), v.size());
  };
  wallOnly("first picture in the window", first.wall);
  wallOnly("  opening and checking the file", opening.wall);
  wallOnly("  building the pyramid", building.wall);

  // Frames in a plot whose data area is `width` device pixels wide, on the window's record.
  PlotWidget plot;
  plot.resize(width + orvane::viewer::kPlotLeft + orvane::viewer::kPlotRight, 600);
  plot.show();
  WaitUntilExposed(plot);
  plot.SetContent(window.Plot()->Content());
  plot.repaint();
  Timings zoom, pan;
  std::vector<PlotView> views;  // every view a step showed
  auto step = [&](Timings& t, auto change) {
    t.Time([&] {
      change();
      plot.repaint();
    });
    views.push_back(plot.View());
  };
  const double anchor = orvane::viewer::kPlotLeft + width / 2.0 + 37;
  for (int run = 0; run < runs; ++run) {
    plot.ShowWhole();
    plot.repaint();
    // In by wheel steps until a pixel holds a twentieth of a sample, out again.
    int depth = 0;
    for (; plot.View().samplesPerPixel > 0.05 && depth < 200; ++depth) {
      step(zoom, [&] { plot.Zoom(0.8, anchor); });
      if (depth % 8 == 0)
        for (int k = 0; k < 4; ++k) step(pan, [&] { plot.Pan(k % 2 ? -width / 8.0 : width / 8.0); });
    }
    for (int k = 0; k < depth; ++k) step(zoom, [&] { plot.Zoom(1.25, anchor); });
  }
  Report("zoom step (widget repaint)", zoom);
  Report("pan step (widget repaint)", pan);

  const auto& content = plot.Content();
  Timings decimate, paint;
  const QSize logical = plot.size();
  QImage image(logical, QImage::Format_ARGB32_Premultiplied);
  for (const PlotView& view : views) {
    decimate.Time([&] {
      if (view.samplesPerPixel >= 2)
        orvane::viewer::ComputeM4(*content.pyramid, static_cast<int64_t>(view.start / view.samplesPerPixel),
                                  size_t(width), view.samplesPerPixel);
    });
    paint.Time([&] {
      QPainter painter(&image);
      orvane::viewer::PaintPlot(painter, logical, 1.0, content, view);
    });
  }
  Report("  M4 columns alone", decimate);
  Report("  picture into an image", paint);

  const long anonAfter = StatusKb("RssAnon");
  std::printf("pyramid %.1f MB (base block %llu samples)\n", content.pyramid->MemoryBytes() / 1e6,
              static_cast<unsigned long long>(content.pyramid->BaseBlock()));
  std::printf(
      "anonymous resident memory %.1f MB before opening, %.1f MB at the end: +%.1f MB beyond the map\n",
      anonBefore * 1.024e-3, anonAfter * 1.024e-3, (anonAfter - anonBefore) * 1.024e-3);
  std::printf("peak resident %.1f MB, of it the mapped file now %.1f MB\n", StatusKb("VmHWM") * 1.024e-3,
              StatusKb("RssFile") * 1.024e-3);
  return 0;
}
