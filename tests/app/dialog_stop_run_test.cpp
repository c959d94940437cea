// Leaving the dialog while a run goes on: EXIT, Esc, the close box and the
// window manager's close request stop the run as Ctrl-C stops the command
// line's, and then end the dialog as they end it between runs. Every file
// that was there before stays byte for byte as it was, and no temporary
// file is left. A run that waits for another program's lock says so in the
// status line, and can be left the same way.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QWindow>
#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "engine_reference.h"
#include "long_pulse_file.h"

namespace orvane::testing {
namespace {

constexpr int kExit = 1;
constexpr int kConvert = 1008;
constexpr int kSetPower = 1012;
// Big enough for an export or an import of a second or more on a test
// machine: a way out taken as soon as the run has opened its files comes
// long before its end.
constexpr uint32_t kRecords = 12;
constexpr uint32_t kSamplesPerRecord = 1u << 23;
// What DoModal answers when the test had to end a dialog that the way out
// left open.
constexpr int kLeftOpen = -7;

class LeavingARun : public DialogTest {
 protected:
  // The ways out, as a user takes them.
  void PressExit() { Click(kExit); }
  void PressEsc() {
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus != nullptr ? focus : dlg.get(), Qt::Key_Escape);
  }
  void CloseBox() { dlg->close(); }
  // As the window manager asks, by way of the window system.
  void WindowManagerClose() { dlg->windowHandle()->close(); }

  // Runs the dialog modally, starts a run with a click on button and calls
  // leave once the run has opened its files (the bar at 2). Answers what
  // DoModal answered.
  int RunAndLeave(int button, std::function<void()> leave) {
    QObject::connect(Bar(), &QProgressBar::valueChanged, dlg.get(), [this, leave](int position) {
      if (leftDuringRun || !dlg->RunInProgress() || position < 2) return;
      leftDuringRun = true;
      temporariesWhenLeft = TemporaryFilesIn(scratch.path());
      leave();
    });
    QTimer::singleShot(0, dlg.get(), [this, button] {
      Click(button);  // returns once the run has ended
      // A dialog still open ignored the way out: ended here, so that the
      // test fails rather than waits for ever.
      if (dlg->isVisible()) dlg->EndDialog(kLeftOpen);
    });
    return dlg->DoModal();
  }

  // The run was stopped, not finished, and left the folder as it found it.
  void ExpectStoppedAndUntouched(const DirSnapshot& before) {
    EXPECT_TRUE(leftDuringRun) << "the run ended before the test could leave it";
    EXPECT_FALSE(temporariesWhenLeft.empty()) << "the run had written nothing yet";
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_FALSE(dlg->RunInProgress());
    EXPECT_EQ(dlg->m_strStatus, "conversion cancelled");
    EXPECT_EQ(TemporaryFilesIn(scratch.path()), std::vector<std::string>{});
    const DirSnapshot after = SnapshotDir(scratch.path());
    EXPECT_EQ(after.size(), before.size());
    for (const auto& [name, bytes] : before) {
      auto found = after.find(name);
      ASSERT_NE(found, after.end()) << name << " is gone";
      EXPECT_TRUE(found->second == bytes) << name << " was changed";
    }
  }

  bool leftDuringRun = false;
  std::vector<std::string> temporariesWhenLeft;
};

// A long export into a folder that holds text files of an earlier export.
class LongRunExportLeft : public LeavingARun {
 protected:
  LongRunExportLeft() {
    WriteLongPulseFile(scratch / "long.spf", kRecords, kSamplesPerRecord);
    for (const char* name : {"long.pfh", "long.T0", "long.T5", "long.T11"})
      WriteFile(scratch / name, OldVersionOf(name));
    dlg->m_strFileName = scratch / "long.spf";
    before = SnapshotDir(scratch.path());
  }
  DirSnapshot before;
};

TEST_F(LongRunExportLeft, ExitStopsTheRunAndEndsTheDialogWithOk) {
  EXPECT_EQ(RunAndLeave(kConvert, [this] { PressExit(); }), COrvaneDlg::IDOK);
  ExpectStoppedAndUntouched(before);
}

TEST_F(LongRunExportLeft, TheWindowManagersCloseRequestStopsTheRunAndEndsTheDialogWithCancel) {
  EXPECT_EQ(RunAndLeave(kConvert, [this] { WindowManagerClose(); }), COrvaneDlg::IDCANCEL);
  ExpectStoppedAndUntouched(before);
}

// A long import over an older pulse file of the same name.
class LongRunImportLeft : public LeavingARun {
 protected:
  LongRunImportLeft() {
    WriteLongPulseFile(scratch / "long.spf", kRecords, kSamplesPerRecord);
    EXPECT_EQ(ConvertedByTheEngine(scratch / "long.spf", true, true).LastStatus(), "conversion complete");
    // A finished import would put a new pulse file in its place.
    WriteFile(scratch / "long.spf", OldVersionOf("long.spf"));
    dlg->m_strFileName = scratch / "long.pfh";
    dlg->m_nDirection = 1;  // "Convert from ASCII"
    before = SnapshotDir(scratch.path());
  }
  DirSnapshot before;
};

TEST_F(LongRunImportLeft, ExitStopsTheRunAndEndsTheDialogWithOk) {
  EXPECT_EQ(RunAndLeave(kConvert, [this] { PressExit(); }), COrvaneDlg::IDOK);
  ExpectStoppedAndUntouched(before);
}

TEST_F(LongRunImportLeft, EscStopsTheRunAndEndsTheDialogWithCancel) {
  EXPECT_EQ(RunAndLeave(kConvert, [this] { PressEsc(); }), COrvaneDlg::IDCANCEL);
  ExpectStoppedAndUntouched(before);
}

// Another program holds the lock of a pulse file whose pulse power the
// user sets: the run waits, and says so.
class LeavingALockWait : public LeavingARun {
 protected:
  LeavingALockWait() {
    WriteLongPulseFile(path, 2, 16);
    before = SnapshotDir(scratch.path());
    m_fdHolder = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    EXPECT_EQ(::flock(m_fdHolder, LOCK_EX), 0);
    dlg->m_strFileName = path;
  }
  ~LeavingALockWait() override { ReleaseLock(); }
  void ReleaseLock() {
    if (m_fdHolder >= 0) ::close(m_fdHolder);
    m_fdHolder = -1;
  }

  // Sets the pulse power and calls leave once the status line tells that
  // the run waits. Answers what DoModal answered.
  int SetPowerAndLeave(std::function<void()> leave) {
    status.OnText(kWaiting, [this, leave] {
      waitShown = dlg->RunInProgress();
      leave();
    });
    // Should the way out be ignored, the lock goes after a long while, so
    // that the test fails rather than waits for ever.
    QTimer::singleShot(30'000, dlg.get(), [this] { ReleaseLock(); });
    QTimer::singleShot(0, dlg.get(), [this] {
      TypePowers("50");
      Click(kSetPower);
      afterRun();
      if (dlg->isVisible()) dlg->EndDialog(kLeftOpen);
    });
    return dlg->DoModal();
  }

  static constexpr char kWaiting[] = "Waiting for another program to release ";
  const std::string path = scratch / "held.spf";
  StatusPaints status{StatusLine()};
  bool waitShown = false;
  // Runs on the dialog's thread when the run has ended.
  std::function<void()> afterRun = [] {};
  DirSnapshot before;

 private:
  int m_fdHolder = -1;
};

TEST_F(LeavingALockWait, TheWaitIsShownAndTheCloseBoxStopsItAndEndsTheDialog) {
  EXPECT_EQ(SetPowerAndLeave([this] { CloseBox(); }), COrvaneDlg::IDCANCEL);
  EXPECT_TRUE(waitShown);
  EXPECT_EQ(dlg->m_strStatus, "conversion cancelled");
  const std::vector<std::string> expected = {kWaiting + path + "...", "Stopping...", "conversion cancelled"};
  ASSERT_GE(status.texts.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(status.texts.end() - 3, status.texts.end()), expected);
  EXPECT_TRUE(SnapshotDir(scratch.path()) == before);
}

TEST_F(LeavingALockWait, WithAnAutomationObjectExitStopsTheRunAndOnlyHidesTheWindow) {
  StandInProxy proxy;
  proxy.m_pOwner = dlg.get();
  dlg->m_pProxy = &proxy;
  bool hiddenAfterRun = false;
  afterRun = [&] {
    hiddenAfterRun = dlg->isHidden();
    dlg->m_pProxy = nullptr;
    dlg->EndDialog(COrvaneDlg::IDCANCEL);
  };
  EXPECT_EQ(SetPowerAndLeave([this] { PressExit(); }), COrvaneDlg::IDCANCEL);
  EXPECT_TRUE(waitShown);
  EXPECT_TRUE(hiddenAfterRun);
  EXPECT_EQ(dlg->m_strStatus, "conversion cancelled");
  EXPECT_TRUE(SnapshotDir(scratch.path()) == before);
}

}  // namespace
}  // namespace orvane::testing
