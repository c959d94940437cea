// A way for the end-to-end tests to work the main dialog of a program that
// the session bus started, where no display or input device reaches it: the
// test program orvane-testbed serves /Orvane/TestHooks (interface
// Orvane.TestHooks) on its own bus connection while the dialog runs. The
// installed program has none of this.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <memory>

class COrvaneDlg;

namespace orvane::testing {

class TestHooks : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "Orvane.TestHooks")

 public:
  // Null when there is no session bus to serve them on.
  static std::unique_ptr<TestHooks> Start(COrvaneDlg& dialog);
  ~TestHooks() override;

 public Q_SLOTS:
  Q_SCRIPTABLE bool DialogVisible() const;
  // Whether a modal window is open above the dialog.
  Q_SCRIPTABLE bool ModalWindowOpen() const;
  // The user's three ways to end the dialog.
  Q_SCRIPTABLE void PressExit();
  Q_SCRIPTABLE void PressEscape();
  Q_SCRIPTABLE void PressCloseBox();
  // Opens the about box from the window menu once this call has been
  // answered (its modal run would hold the answer back).
  Q_SCRIPTABLE void OpenAboutBox();
  // Closes the modal window open above the dialog, if any.
  Q_SCRIPTABLE void CloseModalWindow();

 private:
  TestHooks(COrvaneDlg& dialog, QDBusConnection bus);

  COrvaneDlg& dialog_;
  QDBusConnection bus_;
};

}  // namespace orvane::testing
