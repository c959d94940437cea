// The about box (dialog template 100): the program icon, the product and
// its version, the maker's notice and an OK button.
#pragma once

#include <QDialog>

class CAboutDlg : public QDialog {
  Q_OBJECT
 public:
  static constexpr int IDD = 100;
  explicit CAboutDlg(QWidget* parent = nullptr);
  // The maker's notice of the second line.
  static QString MakersNotice();
};
