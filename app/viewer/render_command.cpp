#include "render_command.h"

#include <cstdio>

#include "orvane/pulse_file_view.h"
#include "plot_painter.h"
#include "record_list.h"

namespace orvane::viewer {

namespace {

int UsageError(const QString& why, const char* usage) {
  std::fprintf(stderr, "orvane-view: %s\n%s", qPrintable(why), usage);
  return 2;
}

int Failure(const QString& why) {
  std::fprintf(stderr, "orvane-view: %s\n", qPrintable(why));
  return 1;
}

}  // namespace

bool ParsePictureSize(const QString& text, QSize* size, QString* why) {
  const QStringList sides = text.split(QLatin1Char('x'));
  bool wide = false, high = false;
  const int width = sides.size() == 2 ? sides[0].toInt(&wide) : 0;
  const int height = sides.size() == 2 ? sides[1].toInt(&high) : 0;
  if (!wide || !high) {
    *why = QStringLiteral("invalid size '%1': give it as WIDTHxHEIGHT, such as 1000x400").arg(text);
    return false;
  }
  if (width < 1 || height < 1 || width > kMaxPictureSide || height > kMaxPictureSide) {
    *why =
        QStringLiteral("invalid size '%1': width and height must be 1 to %2").arg(text).arg(kMaxPictureSide);
    return false;
  }
  *size = QSize(width, height);
  return true;
}

int RenderCommand(QStringList args, const char* usage) {
  if (args.isEmpty()) return UsageError(QStringLiteral("--render needs a picture file"), usage);
  const QString out = args.takeFirst();
  QSize size(1000, 400);
  if (!args.isEmpty() && args.first() == QLatin1String("--size")) {
    if (args.size() < 2) return UsageError(QStringLiteral("--size needs a value such as 1000x400"), usage);
    QString why;
    if (!ParsePictureSize(args.at(1), &size, &why)) return UsageError(why, usage);
    args = args.mid(2);
  }
  if (args.size() != 2) return UsageError(QStringLiteral("--render needs a file and a record"), usage);
  // The file name rule of orvane-cli: data, data.spf and data.pfh are data.spf.
  const QString path = PulseFileOf(args[0]);
  Outcome why;
  auto file = PulseFileView::Open(path.toStdString(), PulseFileView::Verify::Salvage, &why);
  if (file && !NotAPulseFile(*file).empty()) return Failure(QString::fromStdString(NotAPulseFile(*file)));
  if (!file) return Failure(QString::fromStdString(Explained(why)));
  // A damaged file is drawn as far as it goes; what is wrong goes to standard error.
  for (const StructureProblem& problem : file->Problems())
    std::fprintf(stderr, "orvane-view: %s\n", problem.what.message.c_str());
  const QString record = args[1].toUpper();
  const int index = FindRecord(*file, record.toStdString());
  if (index < 0) return Failure(QStringLiteral("no record %1").arg(record));
  const PlotContent content = LoadRecord(file, size_t(index));
  bool read = !content.unreadable;
  const QImage image = RenderPlot(size, 1.0, content, WholeView(content, size, 1.0), &read);
  if (!read) return Failure(QStringLiteral("%1: %2").arg(path, QString::fromLatin1(kFileChangedWhileDrawn)));
  if (image.isNull())
    return Failure(QStringLiteral("cannot make a picture of %1x%2").arg(size.width()).arg(size.height()));
  if (!image.save(out)) return Failure(QStringLiteral("cannot write %1").arg(out));
  return 0;
}

}  // namespace orvane::viewer
