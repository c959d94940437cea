// The application object: the program's start-up, which runs the main
// dialog, and the count of live automation objects that holds an automation
// start open.
#pragma once

#include <memory>
#include <string>

#include "automation_program.h"

class COrvaneDlg;

namespace orvane::automation {
class ClassFactory;
}

class COrvaneApp : public orvane::automation::AutomationProgram {
 public:
  // String resource shown when the automation layer cannot be initialised.
  static constexpr int IDS_OLE_INIT_FAILED = 100;
  static constexpr char kOleInitFailedText[] =
      "OLE initialization failed.  Make sure that the OLE libraries are the correct version.";

  // Becomes the running application (Current) until destroyed. Needs a
  // QApplication that outlives it.
  COrvaneApp();
  ~COrvaneApp() override;
  COrvaneApp(const COrvaneApp&) = delete;
  COrvaneApp& operator=(const COrvaneApp&) = delete;

  // The start-up: registration, then the main dialog's modal run. Always
  // answers false: the program ends when it returns.
  bool InitInstance();

  // The running application, or null.
  static COrvaneApp* Current();
  // Makes the next AfxOleInit fail, as a broken automation layer would.
  static void SetOleInitFailsForTesting(bool fails);

  // The command line after the program's name; InitInstance cuts a
  // recognised switch out of it.
  std::string m_lpCmdLine;
  // The main dialog while its modal run lasts.
  COrvaneDlg* m_pMainWnd = nullptr;
  // The program's exit status: 0, or 1 when the start-up failed.
  int m_nExitCode = 0;

  // orvane::automation::AutomationProgram
  orvane::host::AutomationHost* AutomationWindow() const override;
  // The count of live automation objects (AfxOleLockApp, AfxOleUnlockApp).
  void LockApp() override;
  void UnlockApp() override;
  int LockCount() const { return m_nObjectCount; }
  // False after an automation start until the client's last release.
  bool IsUserControl() const { return m_bUserCtrl; }
  // Whether this instance is serving its class on the session bus.
  bool IsServingClass() const;

 protected:
  // Around the dialog's modal run: a program built on this start-up may
  // attach its own services to the dialog for the run's length.
  virtual void OnDialogRunStarting(COrvaneDlg&) {}
  virtual void OnDialogRunEnded(COrvaneDlg&) {}

 private:
  bool AfxOleInit();
  // The classic three-dimensional look of the program's dialogs; false when
  // the style is not available (the dialogs then keep the platform's).
  bool Enable3dControlsStatic();
  // Cut their switch out of the command line and take the program out of
  // the user's control when they find it.
  bool RunEmbedded();
  bool RunAutomated();
  bool RunWithSwitch(const char* name);
  void RegisterAll();
  void UpdateRegistryAll();
  // The last automation object is gone.
  void ReleaseProgram();

  bool m_bUserCtrl = true;
  int m_nObjectCount = 0;
  std::unique_ptr<orvane::automation::ClassFactory> m_pFactory;
};
