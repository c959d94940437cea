// "View Records..." in the dialog's context menu: it starts orvane-view on
// the pulse file the file name box names, by the base-name rule of Convert.
#include <QImage>
#include <QMenu>
#include <QTextBrowser>

#include "../dialog_fixture.h"
#include "help_viewer.h"
#include "viewer_launch.h"

namespace orvane::testing {
namespace {

class ViewRecordsEntry : public DialogTest {
 protected:
  ViewRecordsEntry() {
    dlg->m_fnStartProgram = [this](const QString& program, const QStringList& arguments) {
      started.push_back({program, arguments});
      return startSucceeds;
    };
  }
  // Opens the context menu as a right click does and picks its second entry.
  void ChooseFromContextMenu() {
    QTimer::singleShot(0, [] {
      QWidget* popup = QApplication::activePopupWidget();
      ASSERT_NE(popup, nullptr);
      QTest::keyClick(popup, Qt::Key_Down);
      QTest::keyClick(popup, Qt::Key_Down);
      QTest::keyClick(popup, Qt::Key_Return);
    });
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(5, 5), dlg->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(dlg.get(), &rightClick);
  }

  std::vector<std::pair<QString, QStringList>> started;
  bool startSucceeds = true;
};

TEST_F(ViewRecordsEntry, StandsBesideTheAboutEntry) {
  Show();
  std::unique_ptr<QMenu> menu = dlg->CreateWindowMenu();
  ASSERT_EQ(menu->actions().size(), 2);
  EXPECT_EQ(menu->actions()[0]->text(), "&About Tessary");
  EXPECT_EQ(menu->actions()[1]->text(), "View Records...");
  EXPECT_EQ(menu->actions()[1]->data().toInt(), COrvaneDlg::IDM_VIEWRECORDS);
}

TEST_F(ViewRecordsEntry, OpensTheViewerOnThePulseFileOfTheBaseNameInTheBox) {
  WorkingDirectory here(scratch.path());
  Show();
  const QString expected = QString::fromStdString((fs::canonical(scratch.path()) / "data.spf").string());
  for (const std::string typed : {"data", "data.spf", "data.pfh"}) {
    started.clear();
    TypeFileName(typed);
    ChooseFromContextMenu();
    ASSERT_EQ(started.size(), 1u) << typed;
    EXPECT_EQ(started[0].first, gui::ViewerProgram());
    EXPECT_EQ(started[0].second, QStringList{expected}) << typed;
  }
  started.clear();
  TypeFileName("/elsewhere/run.SPF");
  ChooseFromContextMenu();
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(started[0].second, QStringList{"/elsewhere/run.SPF.spf"})
      << "only the exact lower-case suffix goes";
  EXPECT_TRUE(Status().empty());
}

TEST_F(ViewRecordsEntry, AnEmptyBoxOpensTheViewerWithoutAFile) {
  Show();
  ChooseFromContextMenu();
  ASSERT_EQ(started.size(), 1u);
  EXPECT_TRUE(started[0].second.isEmpty());
}

TEST_F(ViewRecordsEntry, AViewerThatCannotBeStartedIsToldOnTheStatusLine) {
  Show();
  startSucceeds = false;
  TypeFileName("data");
  ChooseFromContextMenu();
  EXPECT_EQ(Status(), "orvane-view could not be started.");
}

// The real start: the viewer's executable is found beside the program or in
// the build tree's viewer folder, and a program that is not there fails.
TEST(ViewerLaunch, StartsOnlyAProgramThatIsThere) {
  EXPECT_FALSE(gui::StartDetachedProgram(QString(), {}));
  EXPECT_FALSE(gui::StartDetachedProgram(QStringLiteral("/nonexistent/orvane-view"), {}));
  const QString program = gui::ViewerProgram();
  if (!program.isEmpty()) {
    EXPECT_TRUE(QFileInfo(program).isExecutable());
  }
}

TEST(UserGuide, ShowsTheViewerWithItsPicture) {
  gui::CHelpViewer guide(nullptr);
  EXPECT_TRUE(guide.toPlainText().contains("Looking at the records"));
  EXPECT_TRUE(guide.toHtml().contains("viewer.png"));
  const QVariant picture = guide.loadResource(QTextDocument::ImageResource, QUrl("viewer.png"));
  ASSERT_TRUE(picture.isValid()) << "the picture is among the program's resources";
  EXPECT_FALSE(QImage::fromData(picture.toByteArray()).isNull());
}

}  // namespace
}  // namespace orvane::testing
