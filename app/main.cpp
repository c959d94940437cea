// The desktop program orvane. The application object's start-up does the
// work: registration, then the main dialog's modal run; the program ends
// when the start-up returns.
#include <QApplication>
#include <cstdio>

#include "command_line.h"
#include "orvane/interruption.h"
#include "orvane_app.h"
#include "program_help.h"

int main(int argc, char* argv[]) {
  if (auto answer = orvane::startup::AnswerWithoutWindow(argc, argv)) {
    std::fputs(answer->c_str(), stdout);
    return std::fflush(stdout) == 0 && std::ferror(stdout) == 0 ? 0 : 1;
  }
  // Before any thread starts: a session that ends (SIGTERM, SIGHUP) removes
  // the temporary files of a conversion that goes on.
  orvane::InstallInterruptionHandler(nullptr);
  // Qt takes its own options (-platform and the like) out of argv first.
  QApplication application(argc, argv);
  COrvaneApp theApp;
  theApp.m_lpCmdLine = orvane::automation::JoinArguments(argc, argv);
  theApp.InitInstance();
  return theApp.m_nExitCode;
}
