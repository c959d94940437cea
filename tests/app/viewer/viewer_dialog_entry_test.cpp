// "View Records..." in the dialog's context menu: it starts orvane-view on
// the pulse file the file name box names, by the base-name rule of Convert,
// as a program of its own that ends on the signals any program ends on.
#include <signal.h>

#include <QImage>
#include <QMenu>
#include <QTextBrowser>
#include <fstream>

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
  EXPECT_FALSE(gui::StartDetachedProgram(QString::fromStdString(GoldenDir().string()), {})) << "a folder";
  const QString program = gui::ViewerProgram();
  if (!program.isEmpty()) {
    EXPECT_TRUE(QFileInfo(program).isExecutable());
  }
}

// A field of /proc/PID/status ("SigBlk", "State", ...); empty when the
// process is gone.
std::string ProcessStatus(qint64 pid, const std::string& field) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(field + ":", 0) == 0) return line.substr(line.find_first_not_of(" \t", field.size() + 1));
  return {};
}

std::string CommandLine(qint64 pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline");
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Ends the process pid with SIGKILL when the test leaves it running.
class Ended {
 public:
  explicit Ended(qint64 pid) : pid_(pid) {}
  ~Ended() {
    if (!Done()) ::kill(static_cast<pid_t>(pid_), SIGKILL);
  }
  // Gone, or a zombie of the process that adopted it.
  bool Done() const {
    const std::string state = ProcessStatus(pid_, "State");
    return state.empty() || state[0] == 'Z';
  }

 private:
  qint64 pid_;
};

// The signals as the dialog's main leaves them (InstallInterruptionHandler
// blocks SIGINT, SIGTERM and SIGHUP in every thread), and one ignored, for
// the life of the object.
class DialogSignals {
 public:
  DialogSignals() {
    sigset_t blocked;
    sigemptyset(&blocked);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&blocked, s);
    pthread_sigmask(SIG_BLOCK, &blocked, &saved_);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGUSR2, &ignore, &savedUsr2_);
  }
  ~DialogSignals() {
    pthread_sigmask(SIG_SETMASK, &saved_, nullptr);
    sigaction(SIGUSR2, &savedUsr2_, nullptr);
  }

 private:
  sigset_t saved_;
  struct sigaction savedUsr2_ {};
};

// Through the menu entry and the start the dialog uses: the viewer begins
// with no signal blocked or ignored, so SIGTERM ends it.
TEST_F(ViewRecordsEntry, TheViewerStartsWithTheDefaultSignalsAndEndsOnSigterm) {
  fs::copy_file(GoldenDir() / "larger" / "data.spf", scratch / "data.spf");
  qint64 pid = 0;
  dlg->m_fnStartProgram = [&pid](const QString&, const QStringList& arguments) {
    pid = gui::StartDetached(QStringLiteral(ORVANE_VIEW_EXECUTABLE), arguments);
    return pid > 0;
  };
  Show();
  TypeFileName(scratch / "data");
  {
    DialogSignals asInTheDialog;
    ChooseFromContextMenu();
  }
  ASSERT_GT(pid, 0) << Status();
  const Ended ended(pid);
  EXPECT_TRUE(Status().empty());
  // Once it runs the viewer (not the child that starts it):
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return CommandLine(pid).find("orvane-view") != std::string::npos; }, 20000));
  EXPECT_NE(CommandLine(pid).find(scratch / "data.spf"), std::string::npos);
  EXPECT_EQ(ProcessStatus(pid, "SigBlk"), "0000000000000000");
  EXPECT_EQ(ProcessStatus(pid, "SigIgn"), "0000000000000000");
  ASSERT_EQ(::kill(static_cast<pid_t>(pid), SIGTERM), 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return ended.Done(); }, 20000)) << "SIGTERM ends it";
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
