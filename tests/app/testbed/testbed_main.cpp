// orvane-testbed: the desktop program as the end-to-end tests run it, the
// same start-up and dialog as orvane plus the test hooks on the session bus
// for the length of the dialog's run.
#include <QApplication>

#include "command_line.h"
#include "orvane_app.h"
#include "test_hooks.h"

namespace {

class TestbedApp final : public COrvaneApp {
 protected:
  void OnDialogRunStarting(COrvaneDlg& dialog) override {
    m_hooks = orvane::testing::TestHooks::Start(dialog);
  }
  void OnDialogRunEnded(COrvaneDlg&) override { m_hooks.reset(); }

 private:
  std::unique_ptr<orvane::testing::TestHooks> m_hooks;
};

}  // namespace

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  TestbedApp theApp;
  theApp.m_lpCmdLine = orvane::automation::JoinArguments(argc, argv);
  theApp.InitInstance();
  return theApp.m_nExitCode;
}
