// Ending the dialog: EXIT, Esc and the close box, with and without an
// automation object holding the program open; the help viewer goes with it.
#include "dialog_fixture.h"

namespace orvane::testing {
namespace {

class Ending : public DialogTest {
 protected:
  // Runs the dialog modally and does action once the run has started.
  int RunModal(std::function<void()> action) {
    QTimer::singleShot(0, [this, action] {
      EXPECT_TRUE(dlg->isVisible());
      action();
    });
    return dlg->DoModal();
  }
  void HoldOpen() {
    proxy.m_pOwner = dlg.get();
    dlg->m_pProxy = &proxy;
  }
  StandInProxy proxy;
};

TEST_F(Ending, ExitEndsTheRunWithOk) {
  int result = RunModal([this] { Click(1); });
  EXPECT_EQ(result, COrvaneDlg::IDOK);
  EXPECT_FALSE(dlg->isVisible());
}

TEST_F(Ending, ExitReadsTheControlsBack) {
  RunModal([this] {
    TypeFileName("typed.spf");
    Click(1);
  });
  EXPECT_EQ(dlg->m_strFileName, "typed.spf");
}

TEST_F(Ending, EscEndsTheRunWithCancel) {
  int result = RunModal([this] { QTest::keyClick(dlg.get(), Qt::Key_Escape); });
  EXPECT_EQ(result, COrvaneDlg::IDCANCEL);
}

TEST_F(Ending, TheCloseBoxEndsTheRunWithCancel) {
  int result = RunModal([this] { EXPECT_TRUE(dlg->close()); });
  EXPECT_EQ(result, COrvaneDlg::IDCANCEL);
}

TEST_F(Ending, WithAnAutomationObjectEveryWayOutOnlyHidesTheWindow) {
  HoldOpen();
  bool stillRunning = false;
  int result = RunModal([&] {
    Click(1);
    EXPECT_TRUE(dlg->isHidden());
    dlg->show();
    QTest::keyClick(dlg.get(), Qt::Key_Escape);
    EXPECT_TRUE(dlg->isHidden());
    dlg->show();
    EXPECT_FALSE(dlg->close());
    EXPECT_TRUE(dlg->isHidden());
    // The run outlives the hiding: let the event loop turn before ending it.
    QTimer::singleShot(0, [&] {
      stillRunning = true;
      dlg->m_pProxy = nullptr;
      dlg->EndDialog(COrvaneDlg::IDCANCEL);
    });
  });
  EXPECT_TRUE(stillRunning);
  EXPECT_EQ(result, COrvaneDlg::IDCANCEL);
}

TEST_F(Ending, AllowExitAnswersWhetherTheUserMayEndTheRun) {
  Show();
  EXPECT_TRUE(dlg->AllowExit());
  EXPECT_TRUE(dlg->isVisible());
  HoldOpen();
  EXPECT_FALSE(dlg->AllowExit());
  EXPECT_TRUE(dlg->isHidden());
}

TEST_F(Ending, TheDestroyedDialogUntiesALiveAutomationObject) {
  HoldOpen();
  dlg.reset();
  EXPECT_EQ(proxy.m_pOwner, nullptr);
}

TEST_F(Ending, HelpOpensTheGuideAndTheEndOfTheRunClosesIt) {
  QPointer<QWidget> viewer;
  RunModal([&] {
    Click(57670);
    viewer = dlg->HelpViewer();
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_FALSE(viewer->isHidden());
    Click(1);
  });
  EXPECT_TRUE(viewer.isNull());
  EXPECT_EQ(dlg->HelpViewer(), nullptr);
}

TEST_F(Ending, TheHelpViewerGoesWithTheDialog) {
  Show();
  Click(57670);
  QPointer<QWidget> viewer = dlg->HelpViewer();
  ASSERT_FALSE(viewer.isNull());
  dlg.reset();
  EXPECT_TRUE(viewer.isNull());
}

}  // namespace
}  // namespace orvane::testing
