#include "viewer_launch.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include "orvane/convert.h"

namespace orvane::gui {

QString ViewerProgram() {
  const QDir here(QCoreApplication::applicationDirPath());
  for (const QString& candidate : {QStringLiteral("orvane-view"), QStringLiteral("viewer/orvane-view")}) {
    const QFileInfo program(here.filePath(candidate));
    if (program.isFile() && program.isExecutable()) return program.absoluteFilePath();
  }
  return {};
}

QStringList ViewerArguments(const std::string& fileNameBox) {
  if (fileNameBox.empty()) return {};
  const QString pulseFile = QString::fromStdString(orvane::DeriveBaseName(fileNameBox) + ".spf");
  return {QFileInfo(pulseFile).absoluteFilePath()};
}

bool StartDetachedProgram(const QString& program, const QStringList& arguments) {
  return !program.isEmpty() && QProcess::startDetached(program, arguments);
}

}  // namespace orvane::gui
