// Builds a dialog's controls from its template: widgets of the right kind,
// placed by dialog units, chained in tab order, radio buttons grouped by the
// group marks.
#pragma once

#include <QButtonGroup>
#include <QString>
#include <QWidget>
#include <map>

#include "dialog_template.h"

class QDialog;

namespace orvane::gui {

class BuiltControls {
 public:
  // The control with this id, or null.
  QWidget* Control(int id) const;
  // The id-less control with this name, or null.
  QWidget* Named(const QString& name) const;
  // The radio group whose first button has this id, or null. The buttons'
  // ids in the group are their positions, from 0.
  QButtonGroup* RadioGroup(int firstId) const;

 private:
  friend class DialogBuilder;
  std::map<int, QWidget*> m_byId;
  std::map<QString, QWidget*> m_byName;
  std::map<int, QButtonGroup*> m_radioGroups;
};

// Widens a one-line control to the right until its text fits, for fonts
// wider than the one the layout was drawn for; never narrows it.
void FitWidthToText(QWidget& control);

// Creates every control of dialogTemplate as a child of dialog, sets the
// dialog's font, caption and fixed client size.
BuiltControls BuildDialog(QDialog& dialog, const DialogTemplate& dialogTemplate);

}  // namespace orvane::gui
