// The desktop program: runs the main dialog with the file name given on the
// command line.
#include <QApplication>
#include <QStringList>

#include "orvane_dlg.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QStringList arguments = QApplication::arguments();
  arguments.removeFirst();
  COrvaneDlg dlg;
  dlg.m_strFileName = arguments.join(QLatin1Char(' ')).toStdString();
  if (!dlg.m_strFileName.empty()) {
    dlg.m_nDirection = 1;
    dlg.m_nFormat = 1;
  }
  dlg.DoModal();
  return 0;
}
