// A long Convert keeps the dialog's thread serving its events: timers fire,
// events posted from elsewhere are served, the window repaints, and the
// user's input meanwhile does nothing (but for the ways out, which stop
// the run). Afterwards the controls work again
// and the status line and bar went through the engine's own protocol.
#include <QRadioButton>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "dialog_fixture.h"
#include "engine_reference.h"
#include "long_pulse_file.h"

namespace orvane::testing {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Big enough for an export of one to two seconds on a test machine.
constexpr uint32_t kRecords = 12;
constexpr uint32_t kSamplesPerRecord = 1u << 23;
// The longest the dialog's thread may leave an event waiting during a run.
constexpr auto kLatencyBound = milliseconds(100);

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Watches the dialog's thread while a run goes on: the gaps between the
// ticks of a 10 ms timer, the waits of events that another thread posts
// every 10 ms, and the paints of the dialog that each tick asks for.
class ResponsivenessProbe : public QObject {
 public:
  explicit ResponsivenessProbe(COrvaneDlg& dlg) : m_dlg(dlg) {
    m_dlg.installEventFilter(this);
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, this, [this] { Tick(); });
    m_timer.start(10);
    m_poster = std::thread([this] {
      while (!m_stop) {
        const Clock::time_point posted = Clock::now();
        QMetaObject::invokeMethod(
            this, [this, posted] { Served(posted); }, Qt::QueuedConnection);
        std::this_thread::sleep_for(milliseconds(10));
      }
    });
  }
  ~ResponsivenessProbe() override {
    m_stop = true;
    m_poster.join();
    m_dlg.removeEventFilter(this);
  }

  // Runs once, a little into the run, on the dialog's thread.
  std::function<void()> duringRun;

  Clock::duration worstTickGap{};
  Clock::duration worstPostedWait{};
  int ticksDuringRun = 0;
  int postedServedDuringRun = 0;
  int paintsDuringRun = 0;
  Clock::time_point runStart{}, runEnd{};

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && m_dlg.RunInProgress()) ++paintsDuringRun;
    return false;
  }

 private:
  void Tick() {
    const Clock::time_point now = Clock::now();
    if (!m_dlg.RunInProgress()) {
      if (m_wasRunning) runEnd = now;
      m_wasRunning = false;
      m_lastTick = {};
      return;
    }
    if (!m_wasRunning) runStart = now;
    m_wasRunning = true;
    if (m_lastTick != Clock::time_point{}) worstTickGap = std::max(worstTickGap, now - m_lastTick);
    m_lastTick = now;
    ++ticksDuringRun;
    m_dlg.update();  // as an expose from the window manager would
    if (duringRun && now - runStart > milliseconds(100)) std::exchange(duringRun, nullptr)();
  }
  void Served(Clock::time_point posted) {
    if (!m_dlg.RunInProgress()) return;
    worstPostedWait = std::max(worstPostedWait, Clock::now() - posted);
    ++postedServedDuringRun;
  }

  COrvaneDlg& m_dlg;
  QTimer m_timer;
  std::thread m_poster;
  std::atomic<bool> m_stop{false};
  bool m_wasRunning = false;
  Clock::time_point m_lastTick{};
};

class LongRun : public DialogTest {
 protected:
  LongRun() { WriteLongPulseFile(scratch / "long.spf", kRecords, kSamplesPerRecord); }
};

TEST_F(LongRun, TheDialogStaysResponsiveIgnoresInputAndShowsTheEnginesProtocol) {
  Show();
  TypeFileName(scratch / "long.spf");
  const QString typedName = FileNameBox()->text();
  std::vector<int> bar;
  QObject::connect(Bar(), &QProgressBar::valueChanged, [&bar](int value) { bar.push_back(value); });
  StatusPaints status(StatusLine());

  {
    ResponsivenessProbe probe(*dlg);
    probe.duringRun = [&] {
      // A user clicking and typing while the run goes on; Enter would
      // press Convert again. (EXIT, Esc and the close box stop the run:
      // dialog_stop_run_test.cpp.)
      Click(1005);
      Click(1003);
      Click(1008);
      QTest::keyClicks(FileNameBox(), "typed");
      QTest::keyClick(dlg.get(), Qt::Key_Return);
    };
    const Clock::time_point start = Clock::now();
    Click(1008);  // returns once the run has ended
    const Clock::duration run = Clock::now() - start;
    std::printf(
        "run %.0f ms; worst timer gap %.1f ms, worst posted wait %.1f ms; %d ticks, %d posted, %d paints\n",
        Ms(run), Ms(probe.worstTickGap), Ms(probe.worstPostedWait), probe.ticksDuringRun,
        probe.postedServedDuringRun, probe.paintsDuringRun);

    ASSERT_GT(run, milliseconds(150)) << "the run was too short to tell anything";
    EXPECT_FALSE(probe.duringRun) << "the input was never tried during the run";
    EXPECT_GE(probe.ticksDuringRun, 10);
    EXPECT_GE(probe.postedServedDuringRun, 10);
    EXPECT_LT(probe.worstTickGap, kLatencyBound);
    EXPECT_LT(probe.worstPostedWait, kLatencyBound);
    EXPECT_GT(probe.paintsDuringRun, 0);
  }

  // The input during the run did nothing.
  EXPECT_TRUE(dlg->isVisible());
  EXPECT_EQ(FileNameBox()->text().toStdString(), typedName.toStdString());
  EXPECT_TRUE(Radio(1002)->isChecked());
  EXPECT_TRUE(Radio(1004)->isChecked());
  EXPECT_EQ(dlg->m_bToAscii, 1);
  EXPECT_EQ(dlg->m_bHeaders, 1);

  // The run went through the protocol the engine reports by itself, once.
  ReportRecorder engine = ConvertedByTheEngine(scratch / "long.spf", true, true);
  EXPECT_EQ(bar, engine.positions);
  EXPECT_EQ(status.texts, engine.statuses);
  EXPECT_EQ(Status(), "conversion complete");
  EXPECT_EQ(Bar()->value(), 0);

  // The controls work again.
  Click(1005);
  EXPECT_EQ(dlg->m_bHeaders, 0);
  TypeFileName("other.spf");
  EXPECT_EQ(dlg->m_strFileName, "other.spf");
  TypeFileName("");
  Click(1008);
  EXPECT_EQ(Status(), "File name required");
}

TEST_F(LongRun, TheEndOfARunLetsTheUserEndTheDialog) {
  int result = -2;
  QTimer::singleShot(0, [&] {
    TypeFileName(scratch / "long.spf");
    Click(1008);
    Click(1);  // EXIT, once the run is over
  });
  result = dlg->DoModal();
  EXPECT_EQ(result, COrvaneDlg::IDOK);
  EXPECT_EQ(dlg->m_strStatus, "conversion complete");
}

TEST_F(LongRun, AnEndOfTheDialogDuringARunWaitsForTheRunToFinish) {
  // As when the last automation object goes away while the user converts.
  bool endedDuringRun = false;
  QTimer::singleShot(0, [&] {
    TypeFileName(scratch / "long.spf");
    QTimer::singleShot(100, [&] {
      endedDuringRun = dlg->RunInProgress();
      dlg->EndDialog(-1);
    });
    Click(1008);
  });
  EXPECT_EQ(dlg->DoModal(), -1);
  EXPECT_TRUE(endedDuringRun);
  EXPECT_FALSE(dlg->RunInProgress());
  EXPECT_EQ(dlg->m_strStatus, "conversion complete");
  EXPECT_EQ(dlg->m_nProgress, 0);
}

}  // namespace
}  // namespace orvane::testing
