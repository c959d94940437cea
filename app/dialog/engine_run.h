// One engine command (Convert, Get or Set Pulse Power) run on a worker
// thread while the dialog's thread goes on serving its events: the window
// keeps painting and answering the window manager, and the reports of the
// run reach the window in their order.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <string>

#include "orvane/reporter.h"

class QWidget;

namespace orvane::gui {

// Hands every report of the engine, whichever thread makes it, to the
// receiver's thread as a queued call; the calls run there in the order the
// engine made them.
class QueuedReporter final : public orvane::ConversionReporter {
 public:
  QueuedReporter(QObject& receiver, std::function<void(const std::string&)> showStatus,
                 std::function<void(int)> setProgress);
  void ShowStatus(const std::string& text) override;
  void SetProgressPosition(int position) override;

 private:
  QObject& m_receiver;
  std::function<void(const std::string&)> m_fnShowStatus;
  std::function<void(int)> m_fnSetProgress;
};

// While it lives, mouse, key, wheel, touch and close input to window and
// to every widget inside it is dropped: a run is modal, but the window is
// not greyed out.
class InputBlock final : public QObject {
 public:
  explicit InputBlock(QWidget& window);
  ~InputBlock() override;
  InputBlock(const InputBlock&) = delete;
  InputBlock& operator=(const InputBlock&) = delete;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPointer<QWidget> m_window;
};

// Runs work on a worker thread and serves the calling thread's events
// until it has ended; every queued call that work caused has run by the
// time this returns. An exception of work is thrown again here.
void RunOnWorkerThread(const std::function<void()>& work);

}  // namespace orvane::gui
