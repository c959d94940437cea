// The main dialog's handlers: radio buttons, file name box, "...", Convert,
// pulse power, Help and the window menu's entries.
#include <QAbstractButton>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <optional>

#include "about_dlg.h"
#include "control_ids.h"
#include "dialog_template.h"
#include "help_viewer.h"
#include "orvane/convert.h"
#include "orvane/pulse_power.h"
#include "orvane_dlg.h"
#include "viewer_launch.h"

using namespace orvane::gui;

namespace {

// The window menu's commands carry their information in the low four bits.
constexpr int kSysCommandMask = 0xFFF0;

}  // namespace

void COrvaneDlg::RouteNotifications() {
  RouteClicks(kToAsciiButton, &COrvaneDlg::OnToAscii);
  RouteClicks(kFromAsciiButton, &COrvaneDlg::OnFromAscii);
  RouteClicks(kHeadersButton, &COrvaneDlg::OnHeaders);
  RouteClicks(kNoHeadersButton, &COrvaneDlg::OnNoHeaders);
  RouteClicks(kConvertButton, &COrvaneDlg::OnConvert);
  RouteClicks(kGetPowerButton, &COrvaneDlg::OnGetPulsePower);
  RouteClicks(kSetPowerButton, &COrvaneDlg::OnSetPulsePower);
  RouteClicks(kBrowseButton, &COrvaneDlg::OnBrowse);
  RouteClicks(IDOK, &COrvaneDlg::OnOK);
  RouteClicks(ID_HELP, &COrvaneDlg::OnHelp);
  auto* fileName = qobject_cast<QLineEdit*>(GetDlgItem(kFileNameBox));
  connect(fileName, &QLineEdit::textChanged, this, [this] {
    if (!InExchange()) OnChangeFileName();
  });
}

void COrvaneDlg::RouteClicks(int id, void (COrvaneDlg::*handler)()) {
  auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(id));
  if (button == nullptr) qFatal("dialog template %d lacks button %d", IDD, id);
  connect(button, &QAbstractButton::clicked, this, [this, handler] {
    if (!InExchange()) (this->*handler)();
  });
}

// ---- Radio buttons and file name box ----

void COrvaneDlg::ChooseRadio(int& flag, int value) {
  UpdateData(true);
  flag = value;  // from the button clicked, not from the index read back
  m_strStatus.clear();
  m_nProgress = 0;
  ShowProgress(0);
  UpdateData(false);
}

void COrvaneDlg::OnToAscii() { ChooseRadio(m_bToAscii, 1); }

void COrvaneDlg::OnFromAscii() { ChooseRadio(m_bToAscii, 0); }

void COrvaneDlg::OnHeaders() { ChooseRadio(m_bHeaders, 1); }

void COrvaneDlg::OnNoHeaders() { ChooseRadio(m_bHeaders, 0); }

void COrvaneDlg::OnChangeFileName() {
  UpdateData(true);
  m_strStatus.clear();
  UpdateData(false);
}

void COrvaneDlg::OnProgressOutOfMemory(long* result) { *result = 0; }

// ---- Convert and pulse power ----

void COrvaneDlg::OnConvert() {
  if (RunInProgress()) return;
  UpdateData(true);
  orvane::ConversionRequest request;
  request.fileName = m_strFileName;
  request.direction = m_bToAscii == 1 ? orvane::Direction::ToText : orvane::Direction::FromText;
  request.labelled = m_bHeaders != 0;
  // The outcome has been reported as the run went; nothing is left to show.
  RunEngineCommand([&request](orvane::ConversionReporter& reporter) { orvane::Convert(request, reporter); });
}

void COrvaneDlg::OnGetPulsePower() {
  if (RunInProgress()) return;
  UpdateData(true);
  std::optional<std::string> powers;
  RunEngineCommand([&powers, fileName = m_strFileName](orvane::ConversionReporter& reporter) {
    powers = orvane::GetPulsePower(fileName, reporter).text;
  });
  if (powers) m_editPower->setText(QString::fromStdString(*powers));
}

void COrvaneDlg::OnSetPulsePower() {
  if (RunInProgress()) return;
  UpdateData(true);
  RunEngineCommand([fileName = m_strFileName,
                    text = m_editPower->text().toStdString()](orvane::ConversionReporter& reporter) {
    orvane::SetPulsePower(fileName, text, reporter);
  });
}

// ---- "..." ----

void COrvaneDlg::OnBrowse() {
  orvane::gui::FileOpenRequest request = orvane::gui::PulseFileOpenRequest();
  UpdateData(true);
  QString chosen = m_fnChooseFile(request);
  if (chosen.isEmpty()) return;
  m_strFileName = orvane::gui::FileNameBoxText(chosen).toStdString();
  UpdateData(false);
}

// ---- Help and the window menu ----

void COrvaneDlg::OnHelp() {
  if (!m_pHelpViewer) m_pHelpViewer = new orvane::gui::CHelpViewer(this);
  m_pHelpViewer->show();
  m_pHelpViewer->raise();
  m_pHelpViewer->activateWindow();
}

std::unique_ptr<QMenu> COrvaneDlg::CreateWindowMenu() {
  auto menu = std::make_unique<QMenu>(this);
  QString about = orvane::gui::LoadResourceString(IDS_ABOUTBOX);
  if (!about.isEmpty()) {
    QAction* entry = menu->addAction(about);
    entry->setData(IDM_ABOUTBOX);
    connect(entry, &QAction::triggered, this, [this] { OnSysCommand(IDM_ABOUTBOX, 0); });
  }
  QAction* view = menu->addAction(QStringLiteral("View Records..."));
  view->setData(IDM_VIEWRECORDS);
  connect(view, &QAction::triggered, this, [this] { OnSysCommand(IDM_VIEWRECORDS, 0); });
  return menu;
}

void COrvaneDlg::contextMenuEvent(QContextMenuEvent* event) {
  // The window manager's menu is out of reach here, so its entries are
  // offered in the dialog's own context menu.
  std::unique_ptr<QMenu> menu = CreateWindowMenu();
  if (!menu->isEmpty()) menu->exec(event->globalPos());
}

void COrvaneDlg::OnViewRecords() {
  UpdateData(true);
  if (m_fnStartProgram(orvane::gui::ViewerProgram(), orvane::gui::ViewerArguments(m_strFileName))) return;
  m_strStatus = "orvane-view could not be started.";
  UpdateData(false);
}

void COrvaneDlg::OnSysCommand(int commandId, long) {
  switch (commandId & kSysCommandMask) {
    case IDM_ABOUTBOX: {
      CAboutDlg about(this);
      about.exec();
      break;
    }
    case IDM_VIEWRECORDS: OnViewRecords(); break;
    case SC_MINIMIZE: showMinimized(); break;
    case SC_CLOSE: close(); break;
    default: break;
  }
}
