// The viewer's window: the records of a file listed beside a plot of the
// selected one, the file's problems below the list, the read-out of the
// sample under the pointer in the status bar. Dropping a file opens it.
#pragma once

#include <QMainWindow>
#include <memory>

#include "orvane/pulse_file_view.h"
#include "plot_widget.h"

class QTreeWidget;
class QPlainTextEdit;

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

 protected:
  void dragEnterEvent(QDragEnterEvent*) override;
  void dropEvent(QDropEvent*) override;

 private:
  void ShowRecord(int index);
  std::shared_ptr<const PulseFileView> file_;
  QTreeWidget* list_;
  QPlainTextEdit* problems_;
  PlotWidget* plot_;
};

}  // namespace orvane::viewer
