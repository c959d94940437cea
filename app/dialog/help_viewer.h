// The program's help: the user guide (res/help) in a window of its own.
#pragma once

#include <QTextBrowser>

namespace orvane::gui {

class CHelpViewer : public QTextBrowser {
  Q_OBJECT
 public:
  // A separate window that belongs to owner, so that it stays usable while
  // owner runs modally and goes when owner goes.
  explicit CHelpViewer(QWidget* owner);
};

}  // namespace orvane::gui
