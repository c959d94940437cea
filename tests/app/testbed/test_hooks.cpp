#include "test_hooks.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

#include "orvane_dlg.h"

namespace orvane::testing {

namespace {

constexpr char kHooksPath[] = "/Orvane/TestHooks";

QWidget* ModalWindowAbove(const QWidget& dialog) {
  QWidget* top = QApplication::activeModalWidget();
  return top != &dialog ? top : nullptr;
}

}  // namespace

std::unique_ptr<TestHooks> TestHooks::Start(COrvaneDlg& dialog) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return nullptr;
  std::unique_ptr<TestHooks> hooks(new TestHooks(dialog, bus));
  if (!bus.registerObject(kHooksPath, hooks.get(), QDBusConnection::ExportScriptableSlots)) return nullptr;
  return hooks;
}

TestHooks::TestHooks(COrvaneDlg& dialog, QDBusConnection bus) : dialog_(dialog), bus_(std::move(bus)) {}

TestHooks::~TestHooks() { bus_.unregisterObject(kHooksPath); }

bool TestHooks::DialogVisible() const { return dialog_.isVisible(); }

bool TestHooks::ModalWindowOpen() const { return ModalWindowAbove(dialog_) != nullptr; }

void TestHooks::PressExit() {
  if (auto* exit = qobject_cast<QAbstractButton*>(dialog_.GetDlgItem(COrvaneDlg::IDOK))) exit->click();
}

void TestHooks::PressEscape() {
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(&dialog_, &press);
}

void TestHooks::PressCloseBox() { dialog_.close(); }

void TestHooks::OpenAboutBox() {
  QTimer::singleShot(0, &dialog_, [this] { dialog_.OnSysCommand(COrvaneDlg::IDM_ABOUTBOX, 0); });
}

void TestHooks::CloseModalWindow() {
  if (QWidget* modal = ModalWindowAbove(dialog_)) modal->close();
}

}  // namespace orvane::testing
