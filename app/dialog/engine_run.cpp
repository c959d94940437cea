#include "engine_run.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QWidget>
#include <exception>
#include <thread>

namespace orvane::gui {

QueuedReporter::QueuedReporter(QObject& receiver, RunDisplay display)
    : m_receiver(receiver), m_display(std::move(display)) {}

void QueuedReporter::ShowStatus(const std::string& text) {
  QMetaObject::invokeMethod(
      &m_receiver, [show = m_display.showStatus, text] { show(text); }, Qt::QueuedConnection);
}

void QueuedReporter::SetProgressPosition(int position) {
  QMetaObject::invokeMethod(
      &m_receiver, [set = m_display.setProgress, position] { set(position); }, Qt::QueuedConnection);
}

void QueuedReporter::ShowWaiting(const std::string& path) {
  if (!m_display.showWaiting) return;
  QMetaObject::invokeMethod(
      &m_receiver, [show = m_display.showWaiting, path] { show(path); }, Qt::QueuedConnection);
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

bool IsMouseButton(QEvent::Type type) {
  return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
         type == QEvent::MouseButtonDblClick || type == QEvent::MouseMove;
}

bool IsEscape(QEvent* event) {
  return event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Cancel);
}

}  // namespace

InputBlock::InputBlock(QWidget& window, WaysOut waysOut)
    : m_window(&window), m_exitButton(waysOut.exitButton), m_waysOut(std::move(waysOut)) {
  qApp->installEventFilter(this);
}

InputBlock::~InputBlock() { qApp->removeEventFilter(this); }

bool InputBlock::eventFilter(QObject* watched, QEvent* event) {
  if (m_window.isNull() || !watched->isWidgetType()) return false;
  auto* widget = static_cast<QWidget*>(watched);
  if (widget->window() != m_window) return false;
  if (event->type() == QEvent::Close) {
    // A close event left accepted would close the window all the same.
    event->ignore();
    if (widget == m_window && m_waysOut.onCloseRequest) m_waysOut.onCloseRequest();
    return true;
  }
  if (IsEscape(event)) {
    // Taken at the widget with the focus, before it travels up to the window.
    if (m_waysOut.onEscape) m_waysOut.onEscape();
    return true;
  }
  if (widget == m_exitButton && IsMouseButton(event->type())) return false;
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
