// The main dialog's construction, data exchange, start, reporting and end.
#include "orvane_dlg.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <utility>

#include "control_ids.h"
#include "data_exchange.h"
#include "engine_run.h"
#include "help_viewer.h"
#include "program_resources.h"
#include "viewer_launch.h"

using orvane::gui::DataExchange;

using namespace orvane::gui;

namespace {

constexpr int kProgressMaximum = 9;

// The status line from the request to leave during a run until the run
// has stopped (and reports "conversion cancelled").
constexpr char kStoppingStatus[] = "Stopping...";

std::string WaitingStatus(const std::string& path) {
  return "Waiting for another program to release " + path + "...";
}

// Control of the expected class; a template without it is a defect of the build.
template <typename Control>
Control* Expect(const orvane::gui::BuiltControls& controls, int id) {
  auto* control = qobject_cast<Control*>(controls.Control(id));
  if (control == nullptr) qFatal("dialog template %d lacks control %d", COrvaneDlg::IDD, id);
  return control;
}

}  // namespace

COrvaneDlg::COrvaneDlg(QWidget* parent)
    : QDialog(parent),
      m_hAppIcon(orvane::gui::LoadProgramIcon()),
      m_fnChooseFile([this](const orvane::gui::FileOpenRequest& request) {
        return orvane::gui::RunFileOpenDialog(request, this);
      }),
      m_fnStartProgram(orvane::gui::StartDetachedProgram) {
  m_controls = orvane::gui::BuildDialog(*this, orvane::gui::LoadDialogTemplate(IDD));
  m_strStatus.clear();
  m_strFileName.clear();
  m_nProgress = 0;
  m_bHeaders = 1;
  m_bToAscii = 1;
  BindControls();
  RouteNotifications();
}

COrvaneDlg::~COrvaneDlg() {
  OnDestroy();
  if (m_pProxy != nullptr) m_pProxy->HostGone();
}

void COrvaneDlg::BindControls() {
  m_editPower = Expect<QLineEdit>(m_controls, kPowerBox);
  m_btnConvert = Expect<QPushButton>(m_controls, kConvertButton);
  m_ctlProgress = Expect<QProgressBar>(m_controls, kProgressBar);
  m_ctlStatus = Expect<QLabel>(m_controls, kStatusLine);
  m_editFileName = Expect<QLineEdit>(m_controls, kFileNameBox);
  if (m_controls.RadioGroup(kDirectionGroup) == nullptr || m_controls.RadioGroup(kFormatGroup) == nullptr)
    qFatal("dialog template %d lacks a radio group", IDD);
}

QWidget* COrvaneDlg::GetDlgItem(int id) const { return m_controls.Control(id); }

QWidget* COrvaneDlg::HelpViewer() const { return m_pHelpViewer.data(); }

// ---- Data exchange ----

bool COrvaneDlg::UpdateData(bool saveAndValidate) {
  // Notifications that the exchange itself causes must not reach the handlers.
  ++m_nExchangeDepth;
  DoDataExchange(DataExchange(saveAndValidate));
  --m_nExchangeDepth;
  return true;
}

void COrvaneDlg::DoDataExchange(const DataExchange& exchange) {
  BindControls();  // m_editPower, m_btnConvert, m_ctlProgress: bound, nothing copied
  exchange.Text(*m_ctlStatus, m_strStatus);
  exchange.Text(*m_editFileName, m_strFileName);
  exchange.Radio(*m_controls.RadioGroup(kDirectionGroup), m_nDirection);
  exchange.Radio(*m_controls.RadioGroup(kFormatGroup), m_nFormat);
}

// ---- Start ----

void COrvaneDlg::showEvent(QShowEvent* event) {
  // The members may change between construction and the run; the dialog
  // starts from them when it first appears.
  if (!m_bInitialised) {
    m_bInitialised = true;
    OnInitDialog();
  }
  QDialog::showEvent(event);
}

bool COrvaneDlg::OnInitDialog() {
  UpdateData(false);
  setWindowIcon(m_hAppIcon);
  m_ctlProgress->setRange(0, kProgressMaximum);
  m_bToAscii = 1 - m_nDirection;
  m_bHeaders = 1 - m_nFormat;
  m_editFileName->setFocus(Qt::OtherFocusReason);
  return true;
}

// ---- Reporting ----

void COrvaneDlg::ShowStatus(const std::string& text) {
  m_strStatus = text;
  UpdateData(false);
  // Painted at once, so that every message of a run is seen.
  m_ctlStatus->repaint();
}

void COrvaneDlg::SetProgressPosition(int position) {
  m_nProgress = position;
  ShowProgress(position);
  UpdateData(false);
}

void COrvaneDlg::RunEngineCommand(const std::function<void(orvane::ConversionReporter&)>& command) {
  if (m_bRunning) return;  // a run is modal: no second one beside it
  m_pEndAfterRun = nullptr;
  {
    orvane::gui::QueuedReporter reporter(*this, ReportDisplay());
    struct RunState {
      COrvaneDlg& dlg;
      RunState(COrvaneDlg& d, orvane::gui::QueuedReporter& reporter) : dlg(d) {
        dlg.m_bRunning = true;
        dlg.m_pRunReporter = &reporter;
      }
      ~RunState() {
        dlg.m_bRunning = false;
        dlg.m_pRunReporter = nullptr;
      }
    } state(*this, reporter);
    orvane::gui::InputBlock block(*this, WaysOutOfARun());
    orvane::gui::RunOnWorkerThread([&] { command(reporter); });
  }
  // Ended as the user asked, now that nothing reports to the window.
  if (auto end = std::exchange(m_pEndAfterRun, nullptr)) (this->*end)();
}

orvane::gui::RunDisplay COrvaneDlg::ReportDisplay() {
  orvane::gui::RunDisplay display;
  display.showStatus = [this](const std::string& text) { ShowStatus(text); };
  display.setProgress = [this](int position) { SetProgressPosition(position); };
  display.showWaiting = [this](const std::string& path) { ShowStatus(WaitingStatus(path)); };
  return display;
}

orvane::gui::WaysOut COrvaneDlg::WaysOutOfARun() {
  orvane::gui::WaysOut ways;
  ways.exitButton = GetDlgItem(IDOK);
  ways.onEscape = [this] { EndAfterStoppingTheRun(&COrvaneDlg::OnCancel); };
  ways.onCloseRequest = [this] {
    // done() itself may close the window: that is no request of the user.
    if (!m_bEnding) EndAfterStoppingTheRun(&COrvaneDlg::OnClose);
  };
  return ways;
}

void COrvaneDlg::EndAfterStoppingTheRun(void (COrvaneDlg::*end)()) {
  if (m_pRunReporter == nullptr || m_pEndAfterRun != nullptr) return;
  m_pEndAfterRun = end;
  m_pRunReporter->RequestStop();
  ShowStatus(kStoppingStatus);
}

void COrvaneDlg::ShowProgress(int position) {
  m_ctlProgress->setValue(position);
  m_ctlProgress->repaint();
}

// ---- Modal run and its end ----

int COrvaneDlg::DoModal() {
  // An own loop rather than exec(): a dialog held open by an automation
  // object hides itself, and hiding would end exec().
  QEventLoop loop;
  m_pModalLoop = &loop;
  m_bInitialised = false;  // every run starts the dialog afresh from its members
  setAttribute(Qt::WA_ShowModal, true);
  show();
  loop.exec(QEventLoop::DialogExec);
  m_pModalLoop = nullptr;
  return result();
}

void COrvaneDlg::EndDialog(int result) { done(result); }

void COrvaneDlg::done(int result) {
  m_bEnding = true;
  ++m_nEnds;
  QDialog::done(result);
  m_bEnding = false;
  OnDestroy();
  if (m_pModalLoop != nullptr) m_pModalLoop->exit(result);
}

bool COrvaneDlg::AllowExit() {
  if (m_pProxy != nullptr) {
    hide();
    return false;
  }
  return true;
}

void COrvaneDlg::accept() { OnOK(); }

void COrvaneDlg::reject() { OnCancel(); }

void COrvaneDlg::OnOK() {
  if (m_bRunning) {
    EndAfterStoppingTheRun(&COrvaneDlg::OnOK);
    return;
  }
  if (!AllowExit()) return;
  if (UpdateData(true)) EndDialog(IDOK);
}

void COrvaneDlg::OnCancel() {
  if (m_bRunning) {
    EndAfterStoppingTheRun(&COrvaneDlg::OnCancel);
    return;
  }
  if (AllowExit()) EndDialog(IDCANCEL);
}

void COrvaneDlg::closeEvent(QCloseEvent* event) {
  if (m_bEnding) {
    event->accept();
    return;
  }
  if (m_bRunning) {
    // The worker still reports to this window: it closes once the run has stopped.
    event->ignore();
    EndAfterStoppingTheRun(&COrvaneDlg::OnClose);
    return;
  }
  // The close box: OnClose decides; the window closes only when it ended the run.
  int endsBefore = m_nEnds;
  OnClose();
  event->setAccepted(m_nEnds != endsBefore);
}

void COrvaneDlg::OnClose() {
  if (AllowExit()) OnCancel();
}

void COrvaneDlg::OnDestroy() {
  if (m_pHelpViewer) delete m_pHelpViewer.data();
}
