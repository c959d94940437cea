// The dialog as it opens: its state with and without a file name from the
// command line, and its layout from template 102.
#include <QGroupBox>

#include "dialog_fixture.h"
#include "dialog_template.h"
#include "dialog_units.h"

namespace orvane::testing {
namespace {

using StartState = DialogTest;

TEST_F(StartState, WithoutAFileNameExportsWithLabelledLines) {
  Show();
  EXPECT_TRUE(Radio(1002)->isChecked());
  EXPECT_FALSE(Radio(1003)->isChecked());
  EXPECT_TRUE(Radio(1004)->isChecked());
  EXPECT_FALSE(Radio(1005)->isChecked());
  EXPECT_EQ(dlg->m_bToAscii, 1);
  EXPECT_EQ(dlg->m_bHeaders, 1);
  EXPECT_EQ(FileNameBox()->text(), "");
  EXPECT_EQ(Status(), "");
  EXPECT_EQ(Bar()->value(), 0);
  EXPECT_EQ(Bar()->minimum(), 0);
  EXPECT_EQ(Bar()->maximum(), 9);
  EXPECT_EQ(dlg->focusWidget(), FileNameBox());
  EXPECT_EQ(dlg->windowTitle(), "Tessary (V3.0)");
}

TEST_F(StartState, AFileNameFromTheCommandLineImportsBareValues) {
  dlg->m_strFileName = "run7.spf";
  dlg->m_nDirection = 1;
  dlg->m_nFormat = 1;
  Show();
  EXPECT_EQ(FileNameBox()->text(), "run7.spf");
  EXPECT_FALSE(Radio(1002)->isChecked());
  EXPECT_TRUE(Radio(1003)->isChecked());
  EXPECT_FALSE(Radio(1004)->isChecked());
  EXPECT_TRUE(Radio(1005)->isChecked());
  EXPECT_EQ(dlg->m_bToAscii, 0);
  EXPECT_EQ(dlg->m_bHeaders, 0);
}

TEST_F(StartState, ANoneIndexClearsTheRadioGroupAndReadsBackAsNone) {
  dlg->m_nDirection = -1;
  Show();
  EXPECT_FALSE(Radio(1002)->isChecked());
  EXPECT_FALSE(Radio(1003)->isChecked());
  dlg->m_nDirection = 5;
  dlg->UpdateData(true);
  EXPECT_EQ(dlg->m_nDirection, -1);
  EXPECT_EQ(dlg->m_nFormat, 0);
}

using Layout = DialogTest;

TEST_F(Layout, ClientAreaAndControlsFollowTheDialogUnitsOfTheFont) {
  Show();
  gui::DialogUnits units(dlg->font());
  EXPECT_EQ(dlg->size(), units.ToPixels(QSize(351, 153)));
  EXPECT_EQ(FileNameBox()->geometry(), units.ToPixels(QRect(82, 1, 209, 14)));
  EXPECT_EQ(Item<QPushButton>(1014)->geometry(), units.ToPixels(QRect(293, 2, 11, 14)));
  EXPECT_EQ(Bar()->geometry(), units.ToPixels(QRect(12, 114, 80, 14)));
  EXPECT_EQ(StatusLine()->geometry(), units.ToPixels(QRect(101, 114, 95, 18)));
  EXPECT_EQ(Radio(1005)->geometry(), units.ToPixels(QRect(191, 93, 75, 10)));
  EXPECT_EQ(Item<QPushButton>(57670)->geometry(), units.ToPixels(QRect(312, 26, 39, 14)));
}

TEST_F(Layout, EveryControlStandsWhereItsTemplateRectanglePutsIt) {
  Show();
  gui::DialogUnits units(dlg->font());
  for (const gui::ControlTemplate& control : gui::LoadDialogTemplate(COrvaneDlg::IDD).controls) {
    if (control.id == gui::kNoControlId) continue;
    QRect expected = units.ToPixels(control.rect);
    QRect actual = dlg->GetDlgItem(control.id)->geometry();
    EXPECT_EQ(actual.topLeft(), expected.topLeft()) << control.id;
    EXPECT_EQ(actual.height(), expected.height()) << control.id;
    // A radio button's text may need more room in a wider font than the layout's.
    if (control.kind == gui::ControlKind::Radio)
      EXPECT_GE(actual.width(), expected.width()) << control.id;
    else
      EXPECT_EQ(actual.width(), expected.width()) << control.id;
  }
}

TEST_F(Layout, RadioButtonTextsAreNotCutOff) {
  Show();
  for (int id : {1002, 1003, 1004, 1005}) EXPECT_GE(Radio(id)->width(), Radio(id)->sizeHint().width()) << id;
}

TEST_F(Layout, TabStopsFollowTheTemplateOrder) {
  Show();
  std::vector<int> expected = {1001, 1002, 1003, 1004, 1005, 1, 57670, 1008, 1011, 1012, 1013, 1014};
  std::vector<int> seen;
  QWidget* widget = FileNameBox();
  do {
    if (widget->focusPolicy() & Qt::TabFocus) seen.push_back(widget->objectName().toInt());
    widget = widget->nextInFocusChain();
  } while (widget != FileNameBox() && seen.size() < 20);
  EXPECT_EQ(seen, expected);
}

TEST_F(Layout, ConvertIsTheDefaultButtonAndTheLabelsAreWhereTheTableSaysWithTheirTexts) {
  Show();
  EXPECT_TRUE(Item<QPushButton>(1008)->isDefault());
  EXPECT_EQ(Item<QPushButton>(1)->text(), "EXIT");
  EXPECT_EQ(Item<QPushButton>(57670)->text(), "&Help");
  EXPECT_EQ(Item<QPushButton>(1011)->text(), "Get Pulse Power");
  EXPECT_EQ(Radio(1004)->text(), "Headers ");
  QStringList labels;
  for (QLabel* label : dlg->findChildren<QLabel*>()) labels << label->text();
  for (const char* text : {"Filename", "Conversion Progress", "Direction", "Format"})
    EXPECT_TRUE(labels.contains(text)) << text;
  QStringList frames;
  for (QGroupBox* frame : dlg->findChildren<QGroupBox*>()) frames << frame->title();
  EXPECT_EQ(frames.size(), 3);
  EXPECT_TRUE(frames.contains("File Format Convert"));
}

TEST_F(Layout, FramesLieBeneathTheControlsTheySurround) {
  Show();
  for (int id : {1002, 1003, 1004, 1005, 1006, 1008, 1010}) {
    QWidget* control = dlg->GetDlgItem(id);
    EXPECT_EQ(dlg->childAt(control->geometry().center()), control) << id;
  }
}

TEST(DialogTemplates, AMalformedTemplateIsRefusedWithAReason) {
  gui::DialogTemplate parsed;
  QString error;
  EXPECT_FALSE(gui::ParseDialogTemplate("{ not json", parsed, error));
  EXPECT_FALSE(error.isEmpty());
  QByteArray unknownKind = R"({"size": [10, 10], "controls": [{"kind": "slider", "rect": [0, 0, 1, 1]}]})";
  EXPECT_FALSE(gui::ParseDialogTemplate(unknownKind, parsed, error));
  EXPECT_TRUE(error.contains("slider"));
}

TEST(DialogTemplates, TheMainTemplateHasItsControlsInTabOrderWithGroupMarks) {
  gui::DialogTemplate main = gui::LoadDialogTemplate(102);
  EXPECT_EQ(main.size, QSize(351, 153));
  ASSERT_EQ(main.controls.size(), 21u);
  EXPECT_EQ(main.controls.front().id, 1001);
  EXPECT_TRUE(main.controls[1].group);   // 1002 starts the direction group
  EXPECT_FALSE(main.controls[2].group);  // 1003 belongs to it
  EXPECT_EQ(main.controls.back().id, 1014);
}

TEST(DialogUnitsMapping, FourUnitsAcrossAreOneAverageCharacterAndEightDownOneLine) {
  gui::DialogUnits units(gui::DialogFont("MS Sans Serif", 8));
  EXPECT_GT(units.BaseX(), 3);
  EXPECT_GT(units.BaseY(), 8);
  EXPECT_EQ(units.ToPixels(QRect(4, 8, 40, 80)),
            QRect(units.BaseX(), units.BaseY(), 10 * units.BaseX(), 10 * units.BaseY()));
  // Halves round away from zero.
  EXPECT_EQ(units.ToPixelsX(2), (2 * units.BaseX() + 2) / 4);
}

}  // namespace
}  // namespace orvane::testing
