// orvane-view FILE [RECORD]: the record viewer.
// orvane-view --render OUT.png [--size WxH] FILE RECORD: the plot as a picture, no window.
#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "orvane_version.h"
#include "record_list.h"
#include "viewer_window.h"

namespace {

const char kUsage[] =
    "usage: orvane-view FILE [RECORD]\n"
    "       orvane-view --render OUT.png [--size WxH] FILE RECORD\n"
    "       orvane-view --help | --version\n";

int Render(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  QStringList args = app.arguments().mid(2);
  if (args.isEmpty()) return std::fputs(kUsage, stderr), 2;
  const QString out = args.takeFirst();
  QSize size(1000, 400);
  if (args.size() >= 2 && args.first() == QLatin1String("--size")) {
    const QStringList wh = args.at(1).split(QLatin1Char('x'));
    if (wh.size() != 2 || wh[0].toInt() <= 0 || wh[1].toInt() <= 0) return std::fputs(kUsage, stderr), 2;
    size = QSize(wh[0].toInt(), wh[1].toInt());
    args = args.mid(2);
  }
  if (args.size() != 2) return std::fputs(kUsage, stderr), 2;
  orvane::Outcome why;
  auto file =
      orvane::PulseFileView::Open(args[0].toStdString(), orvane::PulseFileView::Verify::Salvage, &why);
  if (file && !orvane::viewer::NotAPulseFile(*file).empty()) {
    why.message = orvane::viewer::NotAPulseFile(*file);
    file.reset();
  }
  if (!file) return std::fprintf(stderr, "orvane-view: %s\n", why.message.c_str()), 1;
  // A damaged file is drawn as far as it goes; what is wrong goes to standard error.
  for (const orvane::StructureProblem& problem : file->Problems())
    std::fprintf(stderr, "orvane-view: %s\n", problem.what.message.c_str());
  const int index = orvane::viewer::FindRecord(*file, args[1].toUpper().toStdString());
  if (index < 0) return std::fprintf(stderr, "orvane-view: no record %s\n", qPrintable(args[1].toUpper())), 1;
  const auto content = orvane::viewer::LoadRecord(*file, size_t(index));
  const QImage image =
      orvane::viewer::RenderPlot(size, 1.0, content, orvane::viewer::WholeView(content, size, 1.0));
  if (!image.save(out)) return std::fprintf(stderr, "orvane-view: cannot write %s\n", qPrintable(out)), 1;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "--help") == 0) return std::fputs(kUsage, stdout), 0;
  if (argc >= 2 && std::strcmp(argv[1], "--version") == 0)
    return std::printf("orvane-view %s\n", ORVANE_FILE_VERSION), 0;
  if (argc >= 2 && std::strcmp(argv[1], "--render") == 0) return Render(argc, argv);
  QApplication::setStyle(QStringLiteral("Windows"));
  QApplication app(argc, argv);
  Q_INIT_RESOURCE(orvane);
  QIcon icon;
  icon.addFile(QStringLiteral(":/icons/orvane-32.xpm"), QSize(32, 32));
  icon.addFile(QStringLiteral(":/icons/orvane-16.xpm"), QSize(16, 16));
  QApplication::setWindowIcon(icon);
  const QStringList args = app.arguments().mid(1);
  if (args.size() > 2) return std::fputs(kUsage, stderr), 2;
  orvane::viewer::ViewerWindow window;
  if (!args.isEmpty()) window.OpenFile(args[0], args.value(1));
  window.show();
  return app.exec();
}
