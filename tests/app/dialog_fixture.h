// Shared ground of the dialog tests: a main dialog shown offscreen, its
// controls by id, clicks and typing through the widgets, and a way to act
// on a modal window while it runs.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "../test_support.h"  // shared test helpers, one folder up
#include "orvane_dlg.h"

namespace orvane::testing {

// Runs action on the window that is modal at the time, once the event loop
// gets to it (the modal run that opens it has started by then).
inline void WhenModal(std::function<void(QWidget*)> action) {
  QTimer::singleShot(0, [action] { action(QApplication::activeModalWidget()); });
}

class DialogTest : public ::testing::Test {
 protected:
  DialogTest() : dlg(std::make_unique<COrvaneDlg>()) {}

  // Opens the dialog as the start-up would, from the members as they stand.
  void Show() {
    dlg->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
  }

  template <typename Control>
  Control* Item(int id) const {
    auto* control = qobject_cast<Control*>(dlg->GetDlgItem(id));
    EXPECT_NE(control, nullptr) << "control " << id;
    return control;
  }
  QLineEdit* FileNameBox() const { return Item<QLineEdit>(1001); }
  QRadioButton* Radio(int id) const { return Item<QRadioButton>(id); }
  QProgressBar* Bar() const { return Item<QProgressBar>(1006); }
  QLabel* StatusLine() const { return Item<QLabel>(1010); }
  QLineEdit* PowerBox() const { return Item<QLineEdit>(1013); }

  void Click(int id) const { QTest::mouseClick(Item<QAbstractButton>(id), Qt::LeftButton); }
  // Replaces the file name box's text the way a user does: select all, type.
  void TypeFileName(const std::string& text) const { TypeInto(FileNameBox(), text); }
  void TypePowers(const std::string& text) const { TypeInto(PowerBox(), text); }

  std::string Status() const { return StatusLine()->text().toStdString(); }

  std::unique_ptr<COrvaneDlg> dlg;
  ScratchDir scratch;

 private:
  static void TypeInto(QLineEdit* box, const std::string& text) {
    box->setFocus();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    if (text.empty()) {
      QTest::keyClick(box, Qt::Key_Delete);
      return;
    }
    QTest::keyClicks(box, QString::fromStdString(text));
  }
};

// The distinct texts the status line was painted with, in order.
class StatusPaints : public QObject {
 public:
  explicit StatusPaints(QLabel* line) : m_line(line) { line->installEventFilter(this); }
  // Called once, soon after the first paint of a text that begins with prefix.
  void OnText(std::string prefix, std::function<void()> action) {
    m_prefix = std::move(prefix);
    m_action = std::move(action);
  }
  std::vector<std::string> texts;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::Paint) return false;
    std::string text = m_line->text().toStdString();
    if (text.empty() || (!texts.empty() && texts.back() == text)) return false;
    texts.push_back(text);
    // Run after the paint: the action repaints the line itself.
    if (m_action && text.rfind(m_prefix, 0) == 0)
      QTimer::singleShot(0, this, std::exchange(m_action, nullptr));
    return false;
  }

 private:
  QLabel* m_line;
  std::string m_prefix;
  std::function<void()> m_action;
};

// The dialog knows an automation object only through its link; the
// automation library is left out of the dialog tests, and a stand-in
// carries the back pointer.
class StandInProxy final : public orvane::host::AutomationObjectLink {
 public:
  void HostGone() override { m_pOwner = nullptr; }
  orvane::host::AutomationHost* m_pOwner = nullptr;
};

// Makes dir the working directory for the life of the object.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const std::filesystem::path& dir) : m_saved(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
  }
  ~WorkingDirectory() { std::filesystem::current_path(m_saved); }
  WorkingDirectory(const WorkingDirectory&) = delete;
  WorkingDirectory& operator=(const WorkingDirectory&) = delete;

 private:
  std::filesystem::path m_saved;
};

}  // namespace orvane::testing
