// Dialog data exchange: copies between a dialog's controls and the members
// bound to them, in one direction per call. Text travels as UTF-8, the
// encoding of file names on this platform.
#pragma once

#include <string>

class QButtonGroup;
class QLabel;
class QLineEdit;

namespace orvane::gui {

class DataExchange {
 public:
  // saveAndValidate: true reads the controls into the members, false
  // writes the members into the controls.
  explicit DataExchange(bool saveAndValidate) : m_bSaveAndValidate(saveAndValidate) {}

  void Text(QLineEdit& edit, std::string& value) const;
  void Text(QLabel& label, std::string& value) const;
  // A radio group as the position (from 0) of its selected button, -1 for
  // none. Writing an index outside the group clears every button.
  void Radio(QButtonGroup& group, int& index) const;

 private:
  bool m_bSaveAndValidate;
};

}  // namespace orvane::gui
