// The radio groups and the file name box: what a click or a keystroke does
// to the flags, the status line and the progress bar.
#include "dialog_fixture.h"

namespace orvane::testing {
namespace {

class Choices : public DialogTest {
 protected:
  // Leaves a failure message on the status line and the bar part way.
  void FailAConversion() {
    TypeFileName(scratch / "missing.spf");
    Click(1008);
    ASSERT_NE(Status(), "");
    ASSERT_GT(Bar()->value(), 0);
  }
};

TEST_F(Choices, NoHeadersClearsTheLayoutFlagTheStatusAndTheBar) {
  Show();
  FailAConversion();
  Click(1005);
  EXPECT_EQ(dlg->m_bHeaders, 0);
  EXPECT_EQ(dlg->m_bToAscii, 1);
  EXPECT_EQ(Status(), "");
  EXPECT_EQ(dlg->m_strStatus, "");
  EXPECT_EQ(Bar()->value(), 0);
  EXPECT_EQ(dlg->m_nProgress, 0);
  EXPECT_TRUE(Radio(1005)->isChecked());
  EXPECT_FALSE(Radio(1004)->isChecked());
  EXPECT_TRUE(Radio(1002)->isChecked());
}

TEST_F(Choices, EachRadioButtonSetsItsOwnFlag) {
  Show();
  Click(1003);
  EXPECT_EQ(dlg->m_bToAscii, 0);
  EXPECT_EQ(dlg->m_nDirection, 1);
  Click(1002);
  EXPECT_EQ(dlg->m_bToAscii, 1);
  EXPECT_EQ(dlg->m_nDirection, 0);
  Click(1005);
  EXPECT_EQ(dlg->m_bHeaders, 0);
  EXPECT_EQ(dlg->m_nFormat, 1);
  Click(1004);
  EXPECT_EQ(dlg->m_bHeaders, 1);
  EXPECT_EQ(dlg->m_nFormat, 0);
  EXPECT_EQ(dlg->m_bToAscii, 1);
}

TEST_F(Choices, ArrowKeysMoveWithinOneRadioGroupOnly) {
  Show();
  dlg->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
  Radio(1002)->setFocus();
  QTest::keyClick(Radio(1002), Qt::Key_Down);
  EXPECT_TRUE(Radio(1003)->isChecked());
  EXPECT_EQ(dlg->m_bToAscii, 0);
  QTest::keyClick(Radio(1003), Qt::Key_Down);
  EXPECT_TRUE(Radio(1004)->isChecked());  // the format group keeps its choice
  EXPECT_FALSE(Radio(1005)->isChecked());
}

TEST_F(Choices, ClickingTheSelectedButtonRunsItsHandlerAgain) {
  Show();
  FailAConversion();
  Click(1002);
  EXPECT_TRUE(Radio(1002)->isChecked());
  EXPECT_EQ(Status(), "");
  EXPECT_EQ(Bar()->value(), 0);
}

TEST_F(Choices, TheFlagComesFromTheButtonNotFromTheIndexReadBack) {
  dlg->m_nDirection = -1;  // no direction button selected
  Show();
  dlg->m_bToAscii = 7;
  Click(1002);
  EXPECT_EQ(dlg->m_bToAscii, 1);
}

TEST_F(Choices, TypingClearsTheStatusButLeavesTheBar) {
  Show();
  FailAConversion();
  int reached = Bar()->value();
  QTest::keyClick(FileNameBox(), Qt::Key_X);
  EXPECT_EQ(Status(), "");
  EXPECT_EQ(dlg->m_strStatus, "");
  EXPECT_EQ(Bar()->value(), reached);
  EXPECT_EQ(dlg->m_nProgress, reached);
  EXPECT_EQ(dlg->m_strFileName, scratch / "missing.spfx");
}

TEST_F(Choices, WritingTheFileNameIntoTheBoxIsNoUserChange) {
  Show();
  dlg->m_strStatus = "kept";
  dlg->m_strFileName = "written.spf";
  dlg->UpdateData(false);
  EXPECT_EQ(FileNameBox()->text(), "written.spf");
  EXPECT_EQ(Status(), "kept");
}

}  // namespace
}  // namespace orvane::testing
