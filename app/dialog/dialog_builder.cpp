#include "dialog_builder.h"

#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <vector>

#include "dialog_units.h"
#include "program_resources.h"

namespace orvane::gui {

namespace {

constexpr int kIconPixels = 32;

const QFont& ApplyTemplateFont(QDialog& dialog, const DialogTemplate& dialogTemplate) {
  dialog.setFont(DialogFont(dialogTemplate.fontFace, dialogTemplate.fontPoints));
  return dialog.font();
}

// A frame with a caption and a system menu (the close box), without minimise
// and maximise boxes.
Qt::WindowFlags WindowFlagsOf(const DialogTemplate& dialogTemplate) {
  Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint;
  if (dialogTemplate.styles.contains(QStringLiteral("caption"))) flags |= Qt::WindowTitleHint;
  if (dialogTemplate.styles.contains(QStringLiteral("sysmenu")))
    flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  return flags;
}

}  // namespace

QWidget* BuiltControls::Control(int id) const {
  auto found = m_byId.find(id);
  return found == m_byId.end() ? nullptr : found->second;
}

QWidget* BuiltControls::Named(const QString& name) const {
  auto found = m_byName.find(name);
  return found == m_byName.end() ? nullptr : found->second;
}

QButtonGroup* BuiltControls::RadioGroup(int firstId) const {
  auto found = m_radioGroups.find(firstId);
  return found == m_radioGroups.end() ? nullptr : found->second;
}

class DialogBuilder {
 public:
  DialogBuilder(QDialog& dialog, const DialogTemplate& dialogTemplate)
      : m_dialog(dialog), m_template(dialogTemplate), m_units(ApplyTemplateFont(dialog, dialogTemplate)) {}

  BuiltControls Build() {
    m_dialog.setWindowTitle(m_template.caption);
    m_dialog.setWindowFlags(WindowFlagsOf(m_template));
    m_dialog.setFixedSize(m_units.ToPixels(m_template.size));
    for (const ControlTemplate& control : m_template.controls) Add(control);
    ChainTabStops();
    // Frames lie beneath the controls they surround, whatever their place in the tab order.
    for (QWidget* frame : m_frames) frame->lower();
    return std::move(m_built);
  }

 private:
  void Add(const ControlTemplate& control) {
    QWidget* widget = Create(control);
    widget->setObjectName(control.id != kNoControlId ? QString::number(control.id) : control.name);
    if (control.kind == ControlKind::Icon) {
      QPoint corner(m_units.ToPixelsX(control.rect.x()), m_units.ToPixelsY(control.rect.y()));
      widget->setGeometry(QRect(corner, QSize(kIconPixels, kIconPixels)));
    } else {
      widget->setGeometry(m_units.ToPixels(control.rect));
    }
    if (control.kind == ControlKind::Radio) FitWidthToText(*widget);
    widget->setFocusPolicy(FocusPolicyOf(control));
    if (control.tabStop) m_tabStops.push_back(widget);
    if (control.id != kNoControlId) m_built.m_byId[control.id] = widget;
    if (!control.name.isEmpty()) m_built.m_byName[control.name] = widget;
    TrackRadioGroup(control, widget);
  }

  static Qt::FocusPolicy FocusPolicyOf(const ControlTemplate& control) {
    switch (control.kind) {
      case ControlKind::Edit:
      case ControlKind::Radio:
      case ControlKind::Button:
      case ControlKind::DefaultButton: return control.tabStop ? Qt::StrongFocus : Qt::ClickFocus;
      default: return Qt::NoFocus;
    }
  }

  QWidget* Create(const ControlTemplate& control) {
    switch (control.kind) {
      case ControlKind::Edit: {
        auto* edit = new QLineEdit(control.caption, &m_dialog);
        edit->setFrame(control.styles.contains(QStringLiteral("border")));
        return edit;
      }
      case ControlKind::Radio: {
        auto* radio = new QRadioButton(control.caption, &m_dialog);
        // Exclusivity comes from the radio group, not from the common parent.
        radio->setAutoExclusive(false);
        return radio;
      }
      case ControlKind::Button:
      case ControlKind::DefaultButton: {
        auto* button = new QPushButton(control.caption, &m_dialog);
        button->setDefault(control.kind == ControlKind::DefaultButton);
        return button;
      }
      case ControlKind::Text:
      case ControlKind::CentredText: return CreateText(control);
      case ControlKind::GroupBox: {
        auto* frame = new QGroupBox(control.caption, &m_dialog);
        m_frames.push_back(frame);
        return frame;
      }
      case ControlKind::Progress: {
        auto* bar = new QProgressBar(&m_dialog);
        bar->setTextVisible(false);
        bar->setValue(0);  // a new bar stands at its start, not "no value"
        bar->setAccessibleName(control.caption);
        return bar;
      }
      case ControlKind::Icon: {
        auto* icon = new QLabel(&m_dialog);
        icon->setPixmap(LoadProgramIcon().pixmap(kIconPixels, kIconPixels));
        return icon;
      }
    }
    return nullptr;
  }

  QLabel* CreateText(const ControlTemplate& control) {
    auto* label = new QLabel(&m_dialog);
    label->setTextFormat(Qt::PlainText);
    label->setText(control.caption);
    label->setWordWrap(true);
    Qt::Alignment across = control.kind == ControlKind::CentredText ? Qt::AlignHCenter : Qt::AlignLeft;
    label->setAlignment(across | Qt::AlignTop);
    return label;
  }

  // A radio group runs from a radio button with a group mark up to the next
  // control that carries one.
  void TrackRadioGroup(const ControlTemplate& control, QWidget* widget) {
    if (control.group) m_openGroup = nullptr;
    auto* radio = qobject_cast<QRadioButton*>(widget);
    if (radio == nullptr) return;
    if (m_openGroup == nullptr) {
      m_openGroup = new QButtonGroup(&m_dialog);
      m_openGroup->setExclusive(true);
      m_built.m_radioGroups[control.id] = m_openGroup;
    }
    m_openGroup->addButton(radio, static_cast<int>(m_openGroup->buttons().size()));
  }

  void ChainTabStops() {
    for (size_t i = 1; i < m_tabStops.size(); ++i) QWidget::setTabOrder(m_tabStops[i - 1], m_tabStops[i]);
  }

  QDialog& m_dialog;
  const DialogTemplate& m_template;
  DialogUnits m_units;
  BuiltControls m_built;
  std::vector<QWidget*> m_tabStops;
  std::vector<QWidget*> m_frames;
  QButtonGroup* m_openGroup = nullptr;
};

void FitWidthToText(QWidget& control) {
  if (auto* label = qobject_cast<QLabel*>(&control)) label->setWordWrap(false);
  int needed = control.sizeHint().width();
  if (needed > control.width()) control.resize(needed, control.height());
}

BuiltControls BuildDialog(QDialog& dialog, const DialogTemplate& dialogTemplate) {
  return DialogBuilder(dialog, dialogTemplate).Build();
}

}  // namespace orvane::gui
