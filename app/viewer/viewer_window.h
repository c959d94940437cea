// The viewer's window: the records of a file listed beside a plot of the
// selected one, the file's problems below the list, the read-out of the
// sample under the pointer in the status bar. Dropping a file opens it.
//
// The file is not locked while it is shown. When another program changes
// it (writes it in place, renames another file over it, removes it), the
// window notices and reads it again, keeping the record and the stretch
// shown; reads of a file cut short under its mapping are guarded, so that
// the change can never end the viewer.
#pragma once

#include <QMainWindow>
#include <memory>

#include "orvane/pulse_file_view.h"
#include "plot_widget.h"

class QFileSystemWatcher;
class QLabel;
class QPlainTextEdit;
class QTimer;
class QTreeWidget;

namespace orvane::viewer {

class ViewerWindow : public QMainWindow {
  Q_OBJECT
 public:
  explicit ViewerWindow(QWidget* parent = nullptr);
  // Opens path; the reason shows in the window when it cannot be read.
  // Selects record (e.g. "R2") or the first one.
  void OpenFile(const QString& path, const QString& record = {});
  PlotWidget* Plot() const { return plot_; }
  QTreeWidget* RecordList() const { return list_; }
  QString Problems() const;
  // What the status bar says of the file itself: empty, or that it changed
  // on disk and was read again (or could not be).
  QString FileState() const;
  // Looks at the file now, as a notice of a change does after a short wait:
  // reads it again when it changed, or when its samples could not be read.
  void CheckFile();

 protected:
  void dragEnterEvent(QDragEnterEvent*) override;
  void dropEvent(QDropEvent*) override;

 private:
  void ShowRecord(int index);
  void Load(const QString& path, const QString& record);
  void Watch(const QString& path);
  // A change was noticed (or a read failed): the file is looked at once the
  // program that writes it has had a moment.
  void ChangeNoticed();
  void Reload();

  QString path_;
  QString record_;  // the record shown last, kept while the file cannot be read
  std::shared_ptr<const PulseFileView> file_;
  bool readFailed_ = false;
  QTreeWidget* list_;
  QPlainTextEdit* problems_;
  PlotWidget* plot_;
  QLabel* fileState_;
  QFileSystemWatcher* watcher_;
  QTimer* settle_;
};

}  // namespace orvane::viewer
