#include "file_browser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace orvane::gui {

FileOpenRequest PulseFileOpenRequest() {
  FileOpenRequest request;
  request.title = QStringLiteral("Select A Pulse File");
  request.filterName = QStringLiteral("Pulse File");
  // Every file: the name field's "*.spf" narrows the list, the filter does not.
  request.filterPattern = QStringLiteral("*");
  request.directory = QStringLiteral(".");
  request.initialName = QStringLiteral("*.spf");
  request.existingFilesOnly = true;
  return request;
}

std::unique_ptr<QFileDialog> CreateFileOpenDialog(const FileOpenRequest& request, QWidget* parent) {
  auto dialog = std::make_unique<QFileDialog>(parent, request.title, request.directory);
  dialog->setAcceptMode(QFileDialog::AcceptOpen);
  dialog->setFileMode(request.existingFilesOnly ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog->setNameFilter(QStringLiteral("%1 (%2)").arg(request.filterName, request.filterPattern));
  dialog->setOption(QFileDialog::HideNameFilterDetails, true);
  dialog->selectFile(request.initialName);
  return dialog;
}

QString RunFileOpenDialog(const FileOpenRequest& request, QWidget* parent) {
  std::unique_ptr<QFileDialog> dialog = CreateFileOpenDialog(request, parent);
  if (dialog->exec() != QDialog::Accepted) return {};
  return dialog->selectedFiles().value(0);
}

QString FileNameBoxText(const QString& chosenPath) {
  QFileInfo chosen(chosenPath);
  QString folder = QFileInfo(chosen.absolutePath()).canonicalFilePath();
  if (!folder.isEmpty() && folder == QFileInfo(QDir::currentPath()).canonicalFilePath())
    return chosen.fileName();
  return QDir::cleanPath(chosen.absoluteFilePath());
}

}  // namespace orvane::gui
