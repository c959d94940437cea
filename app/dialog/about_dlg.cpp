#include "about_dlg.h"

#include <QLabel>
#include <QPushButton>

#include "dialog_builder.h"
#include "orvane_version.h"
#include "program_resources.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  orvane::gui::BuiltControls controls = orvane::gui::BuildDialog(*this, orvane::gui::LoadDialogTemplate(IDD));
  setWindowIcon(orvane::gui::LoadProgramIcon());
  if (auto* notice = qobject_cast<QLabel*>(controls.Named(QStringLiteral("notice")))) {
    notice->setText(MakersNotice());
    orvane::gui::FitWidthToText(*notice);
  }
  if (auto* ok = qobject_cast<QPushButton*>(controls.Control(1)))
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

// The file version shows beside the maker's notice: the caption's "V3.0" is
// the product's name for itself, the file version tells builds apart.
QString CAboutDlg::MakersNotice() {
  return QStringLiteral("Version " ORVANE_FILE_VERSION ". " ORVANE_LEGAL_COPYRIGHT);
}
