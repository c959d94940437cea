// The main dialog (template 102): the file name box, the direction and
// layout radio groups, Convert with its progress bar and status line, the
// pulse power row, EXIT and Help. It keeps the state a conversion starts
// from and shows what the engine reports; each engine command runs on a
// worker thread while the window stays responsive but takes no input.
#pragma once

#include <QDialog>
#include <QIcon>
#include <QPointer>
#include <functional>
#include <string>

#include "dialog_builder.h"
#include "file_browser.h"
#include "host/automation_host.h"

namespace orvane {
class ConversionReporter;
}

class QAbstractButton;
class QEventLoop;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;

namespace orvane::gui {
class CHelpViewer;
class DataExchange;
class QueuedReporter;
struct RunDisplay;
struct WaysOut;
}  // namespace orvane::gui

class COrvaneDlg : public QDialog, public orvane::host::AutomationHost {
  Q_OBJECT
 public:
  static constexpr int IDD = 102;
  // Command identifiers of the dialog's buttons and of its window menu.
  static constexpr int IDOK = 1;
  static constexpr int IDCANCEL = 2;
  static constexpr int ID_HELP = 57670;
  static constexpr int IDM_ABOUTBOX = 0x0010;
  static constexpr int IDM_VIEWRECORDS = 0x0030;
  static constexpr int SC_MINIMIZE = 0xF020;
  static constexpr int SC_CLOSE = 0xF060;
  // String resource of the about entry.
  static constexpr int IDS_ABOUTBOX = 101;

  explicit COrvaneDlg(QWidget* parent = nullptr);
  ~COrvaneDlg() override;

  // Runs the dialog modally until EXIT, Esc or the close box end it (or
  // EndDialog does); hiding the window does not end the run. EXIT, Esc or
  // the close box during an engine command stop the command first.
  int DoModal();
  void EndDialog(int result);
  // true: controls into members; false: members into controls.
  bool UpdateData(bool saveAndValidate);
  // Answers false, after hiding the window, while an automation object is alive.
  bool AllowExit();
  // The control with this id, or null.
  QWidget* GetDlgItem(int id) const;
  // The help viewer while it is open, otherwise null.
  QWidget* HelpViewer() const;
  // The window menu: the about entry and "View Records..." carry their command ids as data.
  std::unique_ptr<QMenu> CreateWindowMenu();

  // Handlers.
  bool OnInitDialog();
  void OnSysCommand(int commandId, long parameter);
  void OnDestroy();
  void OnClose();
  void OnOK();
  void OnCancel();
  void OnChangeFileName();
  void OnToAscii();
  void OnFromAscii();
  void OnHeaders();
  void OnNoHeaders();
  void OnProgressOutOfMemory(long* result);
  void OnConvert();
  void OnGetPulsePower();
  void OnSetPulsePower();
  void OnBrowse();
  void OnHelp();
  // Starts the record viewer on the pulse file the file name box names.
  void OnViewRecords();

  // An engine command is running; the dialog takes no input meanwhile
  // but EXIT, Esc and the close box, which stop the command.
  bool RunInProgress() const { return m_bRunning; }

  // orvane::host::AutomationHost
  void SetAutomationObject(orvane::host::AutomationObjectLink* object) override { m_pProxy = object; }

  // The dialog's members; m_editPower to m_nFormat are bound by the data
  // exchange, in its order.
  QLineEdit* m_editPower = nullptr;
  QPushButton* m_btnConvert = nullptr;
  QProgressBar* m_ctlProgress = nullptr;
  std::string m_strStatus;    // the status line (1010)
  std::string m_strFileName;  // the file name box (1001)
  int m_nDirection = 0;       // 0 "Convert to ASCII", 1 "Convert from ASCII", -1 none
  int m_nFormat = 0;          // 0 "Headers ", 1 "No Headers", -1 none
  // The live automation object, if any; it sets and clears this itself.
  orvane::host::AutomationObjectLink* m_pProxy = nullptr;
  QIcon m_hAppIcon;
  int m_bHeaders = 1;   // 1: labelled text lines; 0: bare values
  int m_bToAscii = 1;   // 1: Convert exports; any other value imports
  int m_nProgress = 0;  // the progress bar's position, 0 to 9

  // Chooses the file for "..."; an empty answer means the user cancelled.
  // Runs the file-open dialog unless replaced.
  std::function<QString(const orvane::gui::FileOpenRequest&)> m_fnChooseFile;
  // Starts a program (the record viewer) beside this one; false when it could
  // not be started. Starts it detached unless replaced.
  std::function<bool(const QString& program, const QStringList& arguments)> m_fnStartProgram;

 protected:
  virtual void DoDataExchange(const orvane::gui::DataExchange& exchange);
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 public:
  // The dialog's own ways to end: accept is EXIT, reject is Esc.
  void accept() override;
  void reject() override;
  void done(int result) override;

 private:
  // What the engine reports, on the dialog's thread.
  void ShowStatus(const std::string& text);
  void SetProgressPosition(int position);
  // Runs command on a worker thread with a reporter that hands its reports
  // to this thread; returns when the command has ended and its reports are
  // shown. Does nothing while another command runs.
  void RunEngineCommand(const std::function<void(orvane::ConversionReporter&)>& command);
  // EXIT, Esc or the close box during a run: the run is stopped, and end
  // (OnOK, OnCancel or OnClose) runs once it has ended. The first request
  // of a run stands.
  void EndAfterStoppingTheRun(void (COrvaneDlg::*end)());
  // Where a run's reports go, and what of the window stays open during it.
  orvane::gui::RunDisplay ReportDisplay();
  orvane::gui::WaysOut WaysOutOfARun();

  void BindControls();
  void RouteNotifications();
  // Connects a button's clicks to handler; clicks caused by an exchange are ignored.
  void RouteClicks(int id, void (COrvaneDlg::*handler)());
  // The common steps of the four radio handlers.
  void ChooseRadio(int& flag, int value);
  void ShowProgress(int position);
  bool InExchange() const { return m_nExchangeDepth > 0; }

  orvane::gui::BuiltControls m_controls;
  QLabel* m_ctlStatus = nullptr;
  QLineEdit* m_editFileName = nullptr;
  QPointer<orvane::gui::CHelpViewer> m_pHelpViewer;
  QEventLoop* m_pModalLoop = nullptr;
  int m_nExchangeDepth = 0;
  bool m_bInitialised = false;
  bool m_bRunning = false;
  // The reporter of the run going on, through which it is stopped.
  orvane::gui::QueuedReporter* m_pRunReporter = nullptr;
  // How the dialog ends once the stopped run has ended, or null.
  void (COrvaneDlg::*m_pEndAfterRun)() = nullptr;
  // Inside done(): a close that done() itself causes (as newer Qt versions
  // do) is no request of the user.
  bool m_bEnding = false;
  int m_nEnds = 0;  // how often done() ran
};
