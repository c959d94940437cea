#include "viewer_window.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStatusBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "record_list.h"

namespace orvane::viewer {

ViewerWindow::ViewerWindow(QWidget* parent) : QMainWindow(parent) {
  setAcceptDrops(true);
  auto* splitter = new QSplitter(this);
  auto* side = new QWidget(splitter);
  auto* layout = new QVBoxLayout(side);
  layout->setContentsMargins(0, 0, 0, 0);
  list_ = new QTreeWidget(side);
  list_->setHeaderLabels(
      {QStringLiteral("Record"), QStringLiteral("SIZE"), QStringLiteral("GAIN"), QStringLiteral("DESC")});
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  problems_ = new QPlainTextEdit(side);
  problems_->setReadOnly(true);
  problems_->setMaximumHeight(110);
  problems_->setPlaceholderText(QStringLiteral("No problems found."));
  layout->addWidget(list_);
  layout->addWidget(problems_);
  plot_ = new PlotWidget(splitter);
  splitter->addWidget(side);
  splitter->addWidget(plot_);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({330, 900});
  setCentralWidget(splitter);
  statusBar()->showMessage(QStringLiteral("Drop a pulse file here to open it."));
  connect(plot_, &PlotWidget::PointerRead, this,
          [this](const QString& text) { statusBar()->showMessage(text); });
  connect(list_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    if (item) ShowRecord(list_->indexOfTopLevelItem(item));
  });
  resize(1200, 700);
}

QString ViewerWindow::Problems() const { return problems_->toPlainText(); }

void ViewerWindow::OpenFile(const QString& path, const QString& record) {
  Outcome why;
  file_ = PulseFileView::Open(path.toStdString(), PulseFileView::Verify::Salvage, &why);
  list_->clear();
  setWindowTitle(QStringLiteral("%1 - orvane-view").arg(QFileInfo(path).fileName()));
  if (file_ && !NotAPulseFile(*file_).empty()) {
    why.message = NotAPulseFile(*file_);
    file_.reset();
  }
  if (!file_) {
    problems_->setPlainText(QString::fromStdString(why.message));
    plot_->SetContent({nullptr, QString::fromStdString(why.message)});
    return;
  }
  problems_->setPlainText(ProblemText(*file_));
  for (const RecordRow& row : ListRecords(*file_)) {
    auto* item = new QTreeWidgetItem(list_);
    item->setText(0, QString::fromStdString(row.name));
    item->setText(1, QString::fromStdString(row.size));
    item->setText(2, QString::fromStdString(row.gain));
    item->setText(3, QString::fromStdString(row.desc));
  }
  for (int c = 0; c < 3; ++c) list_->resizeColumnToContents(c);
  if (file_->Records().empty()) {
    plot_->SetContent(
        {nullptr, file_->Valid() ? QStringLiteral("The file holds no records.") : ProblemText(*file_)});
    return;
  }
  int index = record.isEmpty() ? 0 : FindRecord(*file_, record.toUpper().toStdString());
  if (index < 0) {
    problems_->appendPlainText(QStringLiteral("There is no record %1.").arg(record));
    index = 0;
  }
  // Selecting the row draws its record (once: the list was empty before).
  list_->setCurrentItem(list_->topLevelItem(index));
}

void ViewerWindow::ShowRecord(int index) {
  if (!file_ || index < 0 || size_t(index) >= file_->Records().size()) return;
  plot_->SetContent(LoadRecord(*file_, size_t(index)));
}

void ViewerWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void ViewerWindow::dropEvent(QDropEvent* event) {
  const auto urls = event->mimeData()->urls();
  if (!urls.isEmpty() && urls.first().isLocalFile()) OpenFile(urls.first().toLocalFile());
}

}  // namespace orvane::viewer
