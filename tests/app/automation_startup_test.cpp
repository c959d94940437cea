// The start-up inside the test program: the command line reaching the
// dialog, registration on a user start and serving on an automation start,
// the failing automation layer, and the release rule of the lock count.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "auto_proxy.h"
#include "class_ids.h"
#include "class_registration.h"
#include "orvane_app.h"
#include "orvane_dlg.h"
#include "test_support.h"

namespace orvane::automation {
namespace {

namespace fs = std::filesystem;
using orvane::testing::ScratchDir;

// Points XDG_DATA_HOME at a fresh directory for the test's lifetime.
class DataHomeScope {
 public:
  DataHomeScope() : saved_(qgetenv("XDG_DATA_HOME")) {
    qputenv("XDG_DATA_HOME", dir_.path().string().c_str());
  }
  ~DataHomeScope() { qputenv("XDG_DATA_HOME", saved_); }
  const fs::path& path() const { return dir_.path(); }
  bool Empty() const { return fs::is_empty(dir_.path()); }

 private:
  ScratchDir dir_;
  QByteArray saved_;
};

// The dialog's state as the start-up handed it over.
struct SeenAtStart {
  std::string fileName;
  int direction = -2;
  int format = -2;
  bool userControl = true;
  bool serving = false;
  QString busNameOwner;
};

void PressExit(COrvaneDlg& dlg) {
  auto* exit = qobject_cast<QAbstractButton*>(dlg.GetDlgItem(COrvaneDlg::IDOK));
  ASSERT_NE(exit, nullptr);
  exit->click();
}

// Runs the start-up with commandLine. Once the dialog's modal run has begun,
// during() works it and must end the run; should the run outlast that, a
// deadline ends it and the test fails.
bool RunStartup(COrvaneApp& app, const std::string& commandLine,
                const std::function<void(COrvaneDlg&)>& during) {
  app.m_lpCmdLine = commandLine;
  bool sawDialog = false;
  QTimer::singleShot(0, [&] {
    if (app.m_pMainWnd == nullptr) return;
    sawDialog = true;
    during(*app.m_pMainWnd);
  });
  QTimer deadline;
  deadline.setSingleShot(true);
  bool deadlineHit = false;
  QObject::connect(&deadline, &QTimer::timeout, [&] {
    deadlineHit = true;
    if (app.m_pMainWnd != nullptr) app.m_pMainWnd->EndDialog(COrvaneDlg::IDCANCEL);
  });
  deadline.start(30000);
  EXPECT_FALSE(app.InitInstance());
  EXPECT_FALSE(deadlineHit) << "the dialog's run did not end";
  return sawDialog;
}

SeenAtStart StartAndExit(COrvaneApp& app, const std::string& commandLine) {
  SeenAtStart seen;
  bool ran = RunStartup(app, commandLine, [&](COrvaneDlg& dlg) {
    seen = {dlg.m_strFileName,    dlg.m_nDirection,
            dlg.m_nFormat,        app.IsUserControl(),
            app.IsServingClass(), QDBusConnection::sessionBus().interface()->serviceOwner(kBusName).value()};
    PressExit(dlg);
  });
  EXPECT_TRUE(ran);
  return seen;
}

TEST(StartupTest, NoCommandLineIsAUserStartThatRefreshesTheRegistration) {
  DataHomeScope home;
  COrvaneApp app;
  SeenAtStart seen = StartAndExit(app, "");
  EXPECT_EQ(seen.fileName, "");
  EXPECT_EQ(seen.direction, 0);
  EXPECT_EQ(seen.format, 0);
  EXPECT_TRUE(seen.userControl);
  EXPECT_FALSE(seen.serving);
  EXPECT_TRUE(seen.busNameOwner.isEmpty());
  const std::string program = QCoreApplication::applicationFilePath().toStdString();
  RegistryStore store(RegistryRoot(home.path()));
  EXPECT_EQ(store.Value(std::string("CLSID\\") + kClassId + "\\LocalServer32"), program);
  EXPECT_EQ(store.Value("Orvane.Application\\CLSID"), kClassId);
  EXPECT_EQ(orvane::testing::ReadFile(ActivationFilePath(home.path()).string()), ActivationFileText(program));
}

TEST(StartupTest, FileNameOnTheCommandLineSelectsFromAsciiAndNoHeaders) {
  DataHomeScope home;
  COrvaneApp app;
  SeenAtStart seen = StartAndExit(app, "run7.spf");
  EXPECT_EQ(seen.fileName, "run7.spf");
  EXPECT_EQ(seen.direction, 1);
  EXPECT_EQ(seen.format, 1);
  EXPECT_FALSE(home.Empty());
}

TEST(StartupTest, EmbeddingStartServesTheClassAndWritesNothing) {
  DataHomeScope home;
  {
    COrvaneApp app;
    SeenAtStart seen = StartAndExit(app, "-Embedding");
    EXPECT_EQ(seen.fileName, "");
    EXPECT_EQ(seen.direction, 0);
    EXPECT_EQ(seen.format, 0);
    EXPECT_FALSE(seen.userControl);
    EXPECT_TRUE(seen.serving);
    EXPECT_EQ(seen.busNameOwner, QDBusConnection::sessionBus().baseService());
  }
  EXPECT_TRUE(home.Empty());
  // The application's end gives the name up.
  EXPECT_FALSE(QDBusConnection::sessionBus().interface()->isServiceRegistered(kBusName).value());
}

TEST(StartupTest, AutomationSwitchIsCutAndTheRestIsTheFileName) {
  DataHomeScope home;
  COrvaneApp app;
  SeenAtStart seen = StartAndExit(app, "/Automation run7.spf");
  EXPECT_EQ(seen.fileName, " run7.spf");
  EXPECT_EQ(seen.direction, 1);
  EXPECT_EQ(seen.format, 1);
  EXPECT_FALSE(seen.userControl);
  EXPECT_TRUE(seen.serving);
  EXPECT_TRUE(home.Empty());
}

TEST(StartupTest, FailingAutomationLayerShowsString100AndEndsWithoutDialog) {
  DataHomeScope home;
  COrvaneApp app;
  QString text, title;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  bool dialogSeen = false;
  QTimer watcher;
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    dialogSeen = dialogSeen || app.m_pMainWnd != nullptr;
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      text = box->text();
      title = box->windowTitle();
      icon = box->icon();
      box->button(QMessageBox::Ok)->click();
    }
  });
  watcher.start(20);
  COrvaneApp::SetOleInitFailsForTesting(true);
  app.m_lpCmdLine = "run7.spf";
  bool answer = app.InitInstance();
  COrvaneApp::SetOleInitFailsForTesting(false);
  EXPECT_FALSE(answer);
  EXPECT_EQ(text.toStdString(), COrvaneApp::kOleInitFailedText);
  EXPECT_EQ(text,
            QStringLiteral(
                "OLE initialization failed.  Make sure that the OLE libraries are the correct version."));
  EXPECT_EQ(title, QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
  EXPECT_EQ(icon, QMessageBox::Warning);
  EXPECT_FALSE(dialogSeen);
  EXPECT_EQ(app.m_nExitCode, 1);
  EXPECT_TRUE(home.Empty());
}

// The release rule, with the automation object made directly.
TEST(ReleaseRuleTest, ObjectTiesItselfToTheDialogAndLocksTheProgram) {
  DataHomeScope home;
  COrvaneApp app;
  RunStartup(app, "-Embedding", [&](COrvaneDlg& dlg) {
    auto* proxy = new COrvaneDlgAutoProxy();
    EXPECT_EQ(proxy->m_pOwner, &dlg);
    EXPECT_EQ(dlg.m_pProxy, proxy);
    EXPECT_EQ(app.LockCount(), 1);
    EXPECT_EQ(proxy->ExternalAddRef(), 1u);
    EXPECT_EQ(proxy->ExternalAddRef(), 2u);
    EXPECT_EQ(proxy->ExternalRelease(), 1u);
    EXPECT_EQ(app.LockCount(), 1);
    EXPECT_EQ(proxy->ExternalRelease(), 0u);  // the final release ends the run
    EXPECT_EQ(dlg.m_pProxy, nullptr);
    EXPECT_EQ(app.LockCount(), 0);
  });
  EXPECT_TRUE(app.IsUserControl());
}

TEST(ReleaseRuleTest, ExitOnlyHidesTheDialogUntilTheLastRelease) {
  DataHomeScope home;
  COrvaneApp app;
  bool hiddenAndRunning = false;
  RunStartup(app, "-Embedding", [&](COrvaneDlg& dlg) {
    auto* proxy = new COrvaneDlgAutoProxy();
    proxy->ExternalAddRef();
    PressExit(dlg);
    QTimer::singleShot(0, [&dlg, &hiddenAndRunning, proxy] {
      // Still inside the modal run, one event later.
      hiddenAndRunning = !dlg.isVisible() && dlg.m_pProxy == proxy;
      proxy->ExternalRelease();
    });
  });
  EXPECT_TRUE(hiddenAndRunning);
}

TEST(ReleaseRuleTest, ProgramStartedByTheUserStaysAfterTheLastRelease) {
  DataHomeScope home;
  COrvaneApp app;
  bool stillShown = false;
  RunStartup(app, "", [&](COrvaneDlg& dlg) {
    auto* proxy = new COrvaneDlgAutoProxy();
    proxy->ExternalAddRef();
    proxy->ExternalRelease();
    stillShown = dlg.isVisible();
    PressExit(dlg);
  });
  EXPECT_TRUE(stillShown);
  EXPECT_EQ(app.LockCount(), 0);
}

TEST(ReleaseRuleTest, ReleaseWhileAModalBoxIsOpenHandsTheProgramToTheUser) {
  DataHomeScope home;
  COrvaneApp app;
  bool stayed = false;
  bool exitStillHid = true;
  RunStartup(app, "-Embedding", [&](COrvaneDlg& dlg) {
    auto* proxy = new COrvaneDlgAutoProxy();
    proxy->ExternalAddRef();
    QDialog box(&dlg);
    box.setModal(true);
    box.show();
    proxy->ExternalRelease();
    stayed = dlg.isVisible() && app.IsUserControl() && dlg.m_pProxy == nullptr;
    box.close();
    // Under the user's control now, EXIT ends the run as usual.
    PressExit(dlg);
    exitStillHid = dlg.isVisible();
  });
  EXPECT_TRUE(stayed);
  EXPECT_FALSE(exitStillHid);
}

}  // namespace
}  // namespace orvane::automation
