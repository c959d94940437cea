#include "dialog_template.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtGlobal>

#include "program_resources.h"

namespace orvane::gui {

namespace {

struct KindName {
  const char* name;
  ControlKind kind;
};

constexpr KindName kKindNames[] = {
    {"edit", ControlKind::Edit},          {"radio", ControlKind::Radio},
    {"button", ControlKind::Button},      {"default-button", ControlKind::DefaultButton},
    {"text", ControlKind::Text},          {"text-centred", ControlKind::CentredText},
    {"group-box", ControlKind::GroupBox}, {"progress", ControlKind::Progress},
    {"icon", ControlKind::Icon},
};

bool KindFromName(const QString& name, ControlKind& kind) {
  for (const KindName& entry : kKindNames) {
    if (name == QLatin1String(entry.name)) {
      kind = entry.kind;
      return true;
    }
  }
  return false;
}

QStringList StringList(const QJsonValue& value) {
  QStringList list;
  for (const QJsonValue& item : value.toArray()) list.append(item.toString());
  return list;
}

bool RectFrom(const QJsonValue& value, QRect& rect) {
  QJsonArray numbers = value.toArray();
  if (numbers.size() != 4) return false;
  rect = QRect(numbers[0].toInt(), numbers[1].toInt(), numbers[2].toInt(), numbers[3].toInt());
  return true;
}

bool ParseControl(const QJsonObject& object, ControlTemplate& control, QString& error) {
  if (!KindFromName(object.value("kind").toString(), control.kind)) {
    error = QStringLiteral("unknown control kind \"%1\"").arg(object.value("kind").toString());
    return false;
  }
  if (!RectFrom(object.value("rect"), control.rect)) {
    error = QStringLiteral("control \"%1\" has no rectangle").arg(object.value("caption").toString());
    return false;
  }
  control.id = object.value("id").toInt(kNoControlId);
  control.name = object.value("name").toString();
  control.caption = object.value("caption").toString();
  control.group = object.value("group").toBool();
  control.tabStop = object.value("tabstop").toBool();
  control.styles = StringList(object.value("styles"));
  return true;
}

QByteArray ReadResource(const QString& path) {
  EnsureProgramResources();
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

}  // namespace

bool ParseDialogTemplate(const QByteArray& json, DialogTemplate& result, QString& error) {
  QJsonParseError parseError;
  QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
  if (!document.isObject()) {
    error = parseError.errorString();
    return false;
  }
  QJsonObject root = document.object();
  QJsonArray size = root.value("size").toArray();
  if (size.size() != 2) {
    error = QStringLiteral("template has no size");
    return false;
  }
  DialogTemplate parsed;
  parsed.id = root.value("id").toInt();
  parsed.caption = root.value("caption").toString();
  parsed.size = QSize(size[0].toInt(), size[1].toInt());
  parsed.fontFace = root.value("font").toObject().value("face").toString();
  parsed.fontPoints = root.value("font").toObject().value("points").toInt(8);
  parsed.styles = StringList(root.value("styles"));
  for (const QJsonValue& value : root.value("controls").toArray()) {
    ControlTemplate control;
    if (!ParseControl(value.toObject(), control, error)) return false;
    parsed.controls.push_back(control);
  }
  result = std::move(parsed);
  return true;
}

DialogTemplate LoadDialogTemplate(int id) {
  QString path = QStringLiteral(":/templates/dialog-%1.json").arg(id);
  DialogTemplate result;
  QString error;
  if (!ParseDialogTemplate(ReadResource(path), result, error))
    qFatal("dialog template %d: %s", id, qPrintable(error));
  return result;
}

QString LoadResourceString(int id) {
  QJsonObject table = QJsonDocument::fromJson(ReadResource(QStringLiteral(":/strings.json"))).object();
  return table.value(QString::number(id)).toString();
}

}  // namespace orvane::gui
