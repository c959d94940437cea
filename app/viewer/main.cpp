// orvane-view FILE [RECORD]: the record viewer.
// orvane-view --render OUT.png [--size WxH] FILE RECORD: the plot as a picture, no window.
// FILE follows orvane-cli's rule: data, data.spf and data.pfh all name data.spf.
#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "orvane_version.h"
#include "record_list.h"
#include "render_command.h"
#include "viewer_window.h"

namespace {

const char kUsage[] =
    "usage: orvane-view FILE [RECORD]\n"
    "       orvane-view --render OUT.png [--size WxH] FILE RECORD\n"
    "       orvane-view --help | --version\n";

int Render(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  return orvane::viewer::RenderCommand(app.arguments().mid(2), kUsage);
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
  if (args.size() > 2) {
    std::fputs("orvane-view: too many arguments\n", stderr);
    return std::fputs(kUsage, stderr), 2;
  }
  orvane::viewer::ViewerWindow window;
  if (!args.isEmpty()) window.OpenFile(orvane::viewer::PulseFileOf(args[0]), args.value(1));
  window.show();
  return app.exec();
}
