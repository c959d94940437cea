#include "orvane_app.h"

#include <QApplication>
#include <QDBusConnection>
#include <QFileInfo>
#include <QMessageBox>
#include <memory>

#include "class_factory.h"
#include "class_ids.h"
#include "class_registration.h"
#include "command_line.h"
#include "orvane_dlg.h"

namespace {

COrvaneApp* g_pCurrentApp = nullptr;
bool g_bOleInitFails = false;

// Message boxes carry the program's name: its file name without directory
// and extension.
QString ProgramTitle() { return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName(); }

void ShowStartupFailure(const char* text) {
  QMessageBox box(QMessageBox::Warning, ProgramTitle(), QString::fromUtf8(text), QMessageBox::Ok);
  box.exec();
}

// A modal window of the dialog (the about box, a file dialog, a message
// box) is open above it.
bool ModalWindowOpenAbove(const QWidget& dialog) {
  QWidget* top = QApplication::activeModalWidget();
  return top != nullptr && top != &dialog;
}

}  // namespace

COrvaneApp::COrvaneApp() { g_pCurrentApp = this; }

COrvaneApp::~COrvaneApp() {
  // The factory goes first: revoking it may release a live object, which
  // still reaches this application.
  m_pFactory.reset();
  if (g_pCurrentApp == this) g_pCurrentApp = nullptr;
}

COrvaneApp* COrvaneApp::Current() { return g_pCurrentApp; }

void COrvaneApp::SetOleInitFailsForTesting(bool fails) { g_bOleInitFails = fails; }

bool COrvaneApp::InitInstance() {
  if (!AfxOleInit()) {
    ShowStartupFailure(kOleInitFailedText);
    m_nExitCode = 1;
    return false;
  }
  // Qt dialogs need no switch to host foreign controls (none of ours does).
  Enable3dControlsStatic();

  if (RunEmbedded() || RunAutomated())
    RegisterAll();
  else
    UpdateRegistryAll();

  COrvaneDlg dlg;
  dlg.m_strFileName = m_lpCmdLine;
  if (!dlg.m_strFileName.empty()) {
    dlg.m_nDirection = 1;
    dlg.m_nFormat = 1;
  }
  m_pMainWnd = &dlg;
  OnDialogRunStarting(dlg);
  dlg.DoModal();
  OnDialogRunEnded(dlg);
  m_pMainWnd = nullptr;
  return false;
}

bool COrvaneApp::AfxOleInit() {
  // Automation requests are served from the application's event loop.
  return !g_bOleInitFails && qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

bool COrvaneApp::Enable3dControlsStatic() {
  // Group box captions sit on the frame line, as the dialog layout expects.
  return QApplication::setStyle(QStringLiteral("Windows")) != nullptr;
}

bool COrvaneApp::RunEmbedded() { return RunWithSwitch(orvane::automation::kEmbeddingSwitch); }

bool COrvaneApp::RunAutomated() { return RunWithSwitch(orvane::automation::kAutomationSwitch); }

bool COrvaneApp::RunWithSwitch(const char* name) {
  if (!orvane::automation::CutSwitch(m_lpCmdLine, name)) return false;
  m_bUserCtrl = false;
  return true;
}

void COrvaneApp::RegisterAll() {
  // Without a session bus the program runs on as usual, serving nothing.
  m_pFactory = std::make_unique<orvane::automation::ClassFactory>(QDBusConnection::sessionBus());
  if (!m_pFactory->Register()) m_pFactory.reset();
}

void COrvaneApp::UpdateRegistryAll() {
  // Failures leave the program as usable as before; they are ignored.
  std::optional<std::filesystem::path> dataHome = orvane::automation::UserDataHome();
  if (!dataHome) return;
  orvane::automation::UpdateClassRegistration(*dataHome,
                                              QCoreApplication::applicationFilePath().toStdString());
}

orvane::host::AutomationHost* COrvaneApp::AutomationWindow() const { return m_pMainWnd; }

bool COrvaneApp::IsServingClass() const { return m_pFactory != nullptr && m_pFactory->IsRegistered(); }

void COrvaneApp::LockApp() { ++m_nObjectCount; }

void COrvaneApp::UnlockApp() {
  if (m_nObjectCount == 0) return;
  if (--m_nObjectCount == 0) ReleaseProgram();
}

void COrvaneApp::ReleaseProgram() {
  // A program the user started, or one the user took over already, stays.
  if (m_bUserCtrl) return;
  m_bUserCtrl = true;
  if (m_pMainWnd == nullptr) {
    QCoreApplication::quit();
    return;
  }
  // With a modal window of the dialog open the user is busy with it; the
  // program stays, now under the user's control.
  if (ModalWindowOpenAbove(*m_pMainWnd)) return;
  m_pMainWnd->EndDialog(-1);
}
