#include "viewer_window.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "record_list.h"

namespace orvane::viewer {

namespace {

// How long a program that writes the file gets before the file is read
// again: a copy comes as many writes, each of them noticed.
constexpr int kSettleMilliseconds = 200;

}  // namespace

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
  fileState_ = new QLabel(this);
  statusBar()->addPermanentWidget(fileState_);
  statusBar()->showMessage(QStringLiteral("Drop a pulse file here to open it."));
  connect(plot_, &PlotWidget::PointerRead, this,
          [this](const QString& text) { statusBar()->showMessage(text); });
  connect(plot_, &PlotWidget::ReadFailed, this, [this] {
    readFailed_ = true;
    ChangeNoticed();
  });
  connect(list_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    if (item) ShowRecord(list_->indexOfTopLevelItem(item));
  });
  watcher_ = new QFileSystemWatcher(this);
  settle_ = new QTimer(this);
  settle_->setSingleShot(true);
  settle_->setInterval(kSettleMilliseconds);
  connect(watcher_, &QFileSystemWatcher::fileChanged, this, &ViewerWindow::ChangeNoticed);
  connect(watcher_, &QFileSystemWatcher::directoryChanged, this, &ViewerWindow::ChangeNoticed);
  connect(settle_, &QTimer::timeout, this, &ViewerWindow::CheckFile);
  resize(1200, 700);
}

QString ViewerWindow::Problems() const { return problems_->toPlainText(); }

QString ViewerWindow::FileState() const { return fileState_->text(); }

void ViewerWindow::OpenFile(const QString& path, const QString& record) {
  fileState_->clear();
  record_.clear();
  Load(path, record);
}

void ViewerWindow::Load(const QString& path, const QString& record) {
  path_ = path;
  readFailed_ = false;
  Outcome why;
  file_ = PulseFileView::Open(path.toStdString(), PulseFileView::Verify::Salvage, &why);
  Watch(path);
  list_->clear();
  setWindowTitle(QStringLiteral("%1 - orvane-view").arg(QFileInfo(path).fileName()));
  if (file_ && !NotAPulseFile(*file_).empty()) {
    why.message = NotAPulseFile(*file_);
    file_.reset();
  }
  if (!file_) {
    const QString text = QString::fromStdString(Explained(why));
    problems_->setPlainText(text);
    plot_->SetContent(PlotContent::Saying(text));
    return;
  }
  problems_->setPlainText(ProblemText(*file_));
  bool headersRead = true;
  for (const RecordRow& row : ListRecords(*file_, &headersRead)) {
    auto* item = new QTreeWidgetItem(list_);
    item->setText(0, QString::fromStdString(row.name));
    item->setText(1, QString::fromStdString(row.size));
    item->setText(2, QString::fromStdString(row.gain));
    item->setText(3, QString::fromStdString(row.desc));
  }
  if (!headersRead) {
    readFailed_ = true;
    ChangeNoticed();
  }
  for (int c = 0; c < 3; ++c) list_->resizeColumnToContents(c);
  if (file_->Records().empty()) {
    plot_->SetContent(PlotContent::Saying(file_->Valid() ? QStringLiteral("The file holds no records.")
                                                         : ProblemText(*file_)));
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

void ViewerWindow::Watch(const QString& path) {
  // The file as the path names it now: a file renamed into place is
  // another file. Its folder tells when one appears or is renamed there.
  if (!watcher_->files().isEmpty()) watcher_->removePaths(watcher_->files());
  if (!watcher_->directories().isEmpty()) watcher_->removePaths(watcher_->directories());
  const QFileInfo file(path);
  if (file.exists()) watcher_->addPath(file.absoluteFilePath());
  if (QFileInfo(file.absolutePath()).isDir()) watcher_->addPath(file.absolutePath());
}

void ViewerWindow::ChangeNoticed() {
  if (!settle_->isActive()) settle_->start();
}

void ViewerWindow::CheckFile() {
  if (path_.isEmpty()) return;
  if (file_ && !readFailed_ && !file_->Changed()) return;
  Reload();
}

void ViewerWindow::Reload() {
  const bool wasShown = file_ != nullptr;
  const QString record = record_;
  const bool whole = plot_->ShowsWhole();
  const PlotView view = plot_->View();
  Load(path_, record);
  if (file_ && wasShown && !whole && record_ == record) plot_->SetView(view);
  if (file_)
    fileState_->setText(QStringLiteral("The file changed on disk and was read again."));
  else if (wasShown)
    fileState_->setText(QStringLiteral("The file changed on disk and could not be read again."));
}

void ViewerWindow::ShowRecord(int index) {
  if (!file_ || index < 0 || size_t(index) >= file_->Records().size()) return;
  record_ = QString::fromStdString(file_->Records()[size_t(index)].Name());
  PlotContent content = LoadRecord(file_, size_t(index));
  if (content.unreadable) {
    readFailed_ = true;
    ChangeNoticed();
  }
  plot_->SetContent(std::move(content));
}

void ViewerWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void ViewerWindow::dropEvent(QDropEvent* event) {
  const auto urls = event->mimeData()->urls();
  if (!urls.isEmpty() && urls.first().isLocalFile()) OpenFile(urls.first().toLocalFile());
}

}  // namespace orvane::viewer
