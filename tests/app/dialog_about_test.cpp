// The about entry of the window menu and the about box; the help guide.
#include <QMenu>
#include <QTextBrowser>

#include "about_dlg.h"
#include "dialog_fixture.h"
#include "orvane_version.h"

namespace orvane::testing {
namespace {

using AboutEntry = DialogTest;

// Whether the about box was open, seen from inside its modal run; closes it with OK.
struct AboutWatch {
  bool seen = false;
  QString title;
  void Arm() {
    WhenModal([this](QWidget* modal) {
      auto* about = qobject_cast<CAboutDlg*>(modal);
      seen = about != nullptr;
      if (!about) return;
      title = about->windowTitle();
      QTest::mouseClick(about->findChild<QPushButton*>("1"), Qt::LeftButton);
    });
  }
};

TEST_F(AboutEntry, TheContextMenuOffersAboutTessaryWithCommandSixteen) {
  Show();
  std::unique_ptr<QMenu> menu = dlg->CreateWindowMenu();
  ASSERT_EQ(menu->actions().size(), 2);
  EXPECT_EQ(menu->actions()[0]->text(), "&About Tessary");
  EXPECT_EQ(menu->actions()[0]->data().toInt(), 0x0010);
}

TEST_F(AboutEntry, ChoosingItFromTheContextMenuOpensTheAboutBox) {
  Show();
  AboutWatch watch;
  QTimer::singleShot(0, [&watch] {
    QWidget* popup = QApplication::activePopupWidget();
    ASSERT_NE(popup, nullptr);
    watch.Arm();
    QTest::keyClick(popup, Qt::Key_Down);
    QTest::keyClick(popup, Qt::Key_Return);
  });
  QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(5, 5), dlg->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(dlg.get(), &rightClick);
  EXPECT_TRUE(watch.seen);
  EXPECT_EQ(watch.title, "About orvane");
}

TEST_F(AboutEntry, EveryCommandFromSixteenToThirtyOneOpensTheAboutBox) {
  Show();
  for (int command : {0x0010, 0x001F}) {
    AboutWatch watch;
    watch.Arm();
    dlg->OnSysCommand(command, 0);
    EXPECT_TRUE(watch.seen) << command;
  }
  AboutWatch other;
  other.Arm();
  dlg->OnSysCommand(0x0020, 0);
  QApplication::processEvents();
  EXPECT_FALSE(other.seen);
}

TEST(AboutBox, ShowsTheProductItsVersionAndTheMakersNotice) {
  CAboutDlg about;
  EXPECT_EQ(about.windowTitle(), "About orvane");
  QStringList texts;
  for (QLabel* label : about.findChildren<QLabel*>()) texts << label->text();
  EXPECT_TRUE(texts.contains("Tessary V3.0"));
  EXPECT_TRUE(texts.contains("Version " ORVANE_FILE_VERSION ". " ORVANE_LEGAL_COPYRIGHT))
      << texts.join("|").toStdString();
  auto* ok = about.findChild<QPushButton*>("1");
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->text(), "OK");
  EXPECT_TRUE(ok->isDefault());
}

TEST(AboutBox, OkClosesIt) {
  CAboutDlg about;
  QTimer::singleShot(0, [&about] { QTest::mouseClick(about.findChild<QPushButton*>("1"), Qt::LeftButton); });
  EXPECT_EQ(about.exec(), QDialog::Accepted);
}

using HelpGuide = DialogTest;

TEST_F(HelpGuide, HelpShowsTheUserGuideInOneViewer) {
  Show();
  Click(57670);
  auto* viewer = qobject_cast<QTextBrowser*>(dlg->HelpViewer());
  ASSERT_NE(viewer, nullptr);
  EXPECT_EQ(viewer->documentTitle(), "Tessary (V3.0) User Guide");
  EXPECT_TRUE(viewer->toPlainText().contains("Convert from ASCII"));
  Click(57670);
  EXPECT_EQ(dlg->HelpViewer(), viewer);
}

}  // namespace
}  // namespace orvane::testing
