// Dialog templates: the program's dialogs described as data (res/templates),
// each control with its id, kind, caption, group mark, tab stop and its
// rectangle in dialog units. Controls are listed in tab order.
#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <vector>

namespace orvane::gui {

// The id of a control that has none of its own (a label, a frame).
constexpr int kNoControlId = -1;

enum class ControlKind { Edit, Radio, Button, DefaultButton, Text, CentredText, GroupBox, Progress, Icon };

struct ControlTemplate {
  int id = kNoControlId;
  QString name;  // how the program finds a control without an id
  ControlKind kind = ControlKind::Text;
  QString caption;
  QRect rect;  // dialog units
  bool group = false;
  bool tabStop = false;
  QStringList styles;
};

struct DialogTemplate {
  int id = 0;
  QString caption;
  QSize size;  // dialog units, client area
  QString fontFace;
  int fontPoints = 8;
  QStringList styles;
  std::vector<ControlTemplate> controls;
};

// Reads template id from the program's resources. A missing or malformed
// template is a defect of the build; it aborts with a message.
DialogTemplate LoadDialogTemplate(int id);

// Parses one template from its JSON text; false when the text is malformed.
bool ParseDialogTemplate(const QByteArray& json, DialogTemplate& result, QString& error);

// A string of the program's string table; empty when there is none.
QString LoadResourceString(int id);

}  // namespace orvane::gui
