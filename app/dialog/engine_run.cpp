#include "engine_run.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QWidget>
#include <exception>
#include <thread>

namespace orvane::gui {

QueuedReporter::QueuedReporter(QObject& receiver, std::function<void(const std::string&)> showStatus,
                               std::function<void(int)> setProgress)
    : m_receiver(receiver), m_fnShowStatus(std::move(showStatus)), m_fnSetProgress(std::move(setProgress)) {}

void QueuedReporter::ShowStatus(const std::string& text) {
  QMetaObject::invokeMethod(
      &m_receiver, [show = m_fnShowStatus, text] { show(text); }, Qt::QueuedConnection);
}

void QueuedReporter::SetProgressPosition(int position) {
  QMetaObject::invokeMethod(
      &m_receiver, [set = m_fnSetProgress, position] { set(position); }, Qt::QueuedConnection);
}

namespace {

bool IsInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::Drop: return true;
    default: return false;
  }
}

}  // namespace

InputBlock::InputBlock(QWidget& window) : m_window(&window) { qApp->installEventFilter(this); }

InputBlock::~InputBlock() { qApp->removeEventFilter(this); }

bool InputBlock::eventFilter(QObject* watched, QEvent* event) {
  if (m_window.isNull() || !watched->isWidgetType()) return false;
  auto* widget = static_cast<QWidget*>(watched);
  if (widget->window() != m_window) return false;
  if (event->type() == QEvent::Close) {
    // A close event left accepted would close the window all the same.
    event->ignore();
    return true;
  }
  return IsInput(event->type());
}

void RunOnWorkerThread(const std::function<void()>& work) {
  QEventLoop loop;
  std::exception_ptr failure;
  std::thread worker([&] {
    try {
      work();
    } catch (...) {
      failure = std::current_exception();
    }
    // Posted after every report of the run, so it is served after them.
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  loop.exec();
  worker.join();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace orvane::gui
