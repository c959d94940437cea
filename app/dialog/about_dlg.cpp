#include "about_dlg.h"

#include <QLabel>
#include <QPushButton>

#include "dialog_builder.h"
#include "orvane_version.h"
#include "program_resources.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  orvane::gui::BuiltControls controls = orvane::gui::BuildDialog(*this, orvane::gui::LoadDialogTemplate(IDD));
  setWindowIcon(orvane::gui::LoadProgramIcon());
  setToolTip(QStringLiteral(ORVANE_PRODUCT_NAME " " ORVANE_CAPTION_VERSION ", file version " ORVANE_FILE_VERSION));
  if (auto* notice = qobject_cast<QLabel*>(controls.Named(QStringLiteral("notice")))) {
    notice->setText(MakersNotice());
    orvane::gui::FitWidthToText(*notice);
  }
  if (auto* ok = qobject_cast<QPushButton*>(controls.Control(1))) connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

QString CAboutDlg::MakersNotice() { return QStringLiteral(ORVANE_LEGAL_COPYRIGHT); }
