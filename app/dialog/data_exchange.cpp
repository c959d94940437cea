#include "data_exchange.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>

namespace orvane::gui {

void DataExchange::Text(QLineEdit& edit, std::string& value) const {
  if (m_bSaveAndValidate) {
    value = edit.text().toStdString();
    return;
  }
  QString text = QString::fromStdString(value);
  // Rewriting the same text would only lose the caret position and the undo history.
  if (edit.text() != text) edit.setText(text);
}

void DataExchange::Text(QLabel& label, std::string& value) const {
  if (m_bSaveAndValidate) {
    value = label.text().toStdString();
    return;
  }
  label.setText(QString::fromStdString(value));
}

void DataExchange::Radio(QButtonGroup& group, int& index) const {
  if (m_bSaveAndValidate) {
    index = group.checkedId();
    return;
  }
  QAbstractButton* chosen = group.button(index);
  if (chosen != nullptr) {
    chosen->setChecked(true);
    return;
  }
  // An exclusive group refuses to clear its last checked button.
  group.setExclusive(false);
  for (QAbstractButton* button : group.buttons()) button->setChecked(false);
  group.setExclusive(true);
}

}  // namespace orvane::gui
