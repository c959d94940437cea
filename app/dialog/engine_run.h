// One engine command (Convert, Get or Set Pulse Power) run on a worker
// thread while the dialog's thread goes on serving its events: the window
// keeps painting and answering the window manager, the reports of the run
// reach the window in their order, and the user can still leave, which
// stops the run first.
#pragma once

#include <QObject>
#include <QPointer>
#include <atomic>
#include <functional>
#include <string>

#include "orvane/reporter.h"

class QWidget;

namespace orvane::gui {

// Where the reports of a run are shown; each is called on the dialog's thread.
struct RunDisplay {
  std::function<void(const std::string& text)> showStatus;
  std::function<void(int position)> setProgress;
  // The run waits for another program to let go of path.
  std::function<void(const std::string& path)> showWaiting;
};

// Hands every report of the engine, whichever thread makes it, to the
// receiver's thread as a queued call; the calls run there in the order the
// engine made them. The engine's question whether to stop is answered from
// a flag that RequestStop sets.
class QueuedReporter final : public orvane::ConversionReporter {
 public:
  QueuedReporter(QObject& receiver, RunDisplay display);
  void ShowStatus(const std::string& text) override;
  void SetProgressPosition(int position) override;
  void ShowWaiting(const std::string& path) override;
  bool StopRequested() override { return m_bStop.load(std::memory_order_relaxed); }
  // Any thread: the run stops as soon as the engine can stop it, with
  // "conversion cancelled", its temporary files removed.
  void RequestStop() { m_bStop.store(true, std::memory_order_relaxed); }

 private:
  QObject& m_receiver;
  RunDisplay m_display;
  std::atomic<bool> m_bStop{false};
};

// The ways out of a window that stay open while its input is blocked.
struct WaysOut {
  // Keeps its mouse input, so that it is clicked as ever.
  QWidget* exitButton = nullptr;
  // Called instead of letting Esc reach the window.
  std::function<void()> onEscape;
  // Called for a close event of the window, which is left ignored: the
  // window stays open.
  std::function<void()> onCloseRequest;
};

// While it lives, mouse, key, wheel, touch and close input to window and
// to every widget inside it is dropped: a run is modal, but the window is
// not greyed out. Only the ways out get through, as waysOut says.
class InputBlock final : public QObject {
 public:
  InputBlock(QWidget& window, WaysOut waysOut);
  ~InputBlock() override;
  InputBlock(const InputBlock&) = delete;
  InputBlock& operator=(const InputBlock&) = delete;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPointer<QWidget> m_window;
  QPointer<QWidget> m_exitButton;
  WaysOut m_waysOut;
};

// Runs work on a worker thread and serves the calling thread's events
// until it has ended; every queued call that work caused has run by the
// time this returns. An exception of work is thrown again here.
void RunOnWorkerThread(const std::function<void()>& work);

}  // namespace orvane::gui
