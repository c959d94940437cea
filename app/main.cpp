// The desktop program orvane. The application object's start-up does the
// work: registration, then the main dialog's modal run; the program ends
// when the start-up returns.
#include <QApplication>

#include "command_line.h"
#include "orvane_app.h"

int main(int argc, char* argv[]) {
  // Qt takes its own options (-platform and the like) out of argv first.
  QApplication application(argc, argv);
  COrvaneApp theApp;
  theApp.m_lpCmdLine = orvane::automation::JoinArguments(argc, argv);
  theApp.InitInstance();
  return theApp.m_nExitCode;
}
