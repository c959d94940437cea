// The file-open dialog behind the "..." button, and what the file name box
// shows of the file chosen in it.
#pragma once

#include <QString>
#include <memory>

class QFileDialog;
class QWidget;

namespace orvane::gui {

// What the file-open dialog is asked to show.
struct FileOpenRequest {
  QString title;
  QString filterName;
  QString filterPattern;
  QString directory;
  QString initialName;
  bool existingFilesOnly = true;
};

// The request of the "..." button: "Select A Pulse File", the one filter
// "Pulse File" over every file, starting in the working directory with the
// name field "*.spf".
FileOpenRequest PulseFileOpenRequest();

// A file-open dialog set up for request; the caller runs it.
std::unique_ptr<QFileDialog> CreateFileOpenDialog(const FileOpenRequest& request, QWidget* parent);

// Runs the file-open dialog modally; the chosen file's path, or an empty
// string when the user cancelled.
QString RunFileOpenDialog(const FileOpenRequest& request, QWidget* parent);

// The text for the file name box: the bare file name when the chosen file
// lies in the working directory, where Convert looks for a bare name;
// otherwise its full path, so that Convert acts on the file that was chosen.
QString FileNameBoxText(const QString& chosenPath);

}  // namespace orvane::gui
