// The viewer's window: its record list against orvane-cli info and the
// exported text, files that are damaged or no pulse files at all, the
// plot's zoom, pan, range selection and read-out, and dropping a file.
#include <gtest/gtest.h>

#include <QMimeData>
#include <QProcess>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>
#include <fstream>

#include "pulse_file_builder.h"
#include "viewer_window.h"

namespace orvane::testing {
namespace {

using viewer::PlotWidget;
using viewer::ViewerWindow;

struct ListedRecord {
  std::string name, size, desc;
};

// The record lines of orvane-cli info: kind, number, offset, SIZE, DESC.
std::vector<ListedRecord> CliRecords(const std::string& path) {
  QProcess cli;
  cli.start(QStringLiteral(ORVANE_CLI_EXECUTABLE), {"info", QString::fromStdString(path)});
  EXPECT_TRUE(cli.waitForFinished(30000));
  std::vector<ListedRecord> records;
  static const QRegularExpression line(R"(^([TRI]) +(\d+) +\d+ +(-?\d+)  (.*)$)");
  for (const QString& text : QString::fromUtf8(cli.readAllStandardOutput()).split('\n')) {
    const auto match = line.match(text);
    if (match.hasMatch())
      records.push_back({(match.captured(1) + match.captured(2)).toStdString(),
                         match.captured(3).toStdString(), match.captured(4).toStdString()});
  }
  return records;
}

std::string TrimmedRight(std::string text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
  return text;
}

// The GAIN line of an exported labelled T record file.
std::string ExportedGain(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("GAIN: ", 0) == 0) return line.substr(6);
  return "?";
}

std::vector<fs::path> GoldenFiles() {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(GoldenDir()))
    if (fs::exists(entry.path() / "data.spf")) files.push_back(entry.path() / "data.spf");
  std::sort(files.begin(), files.end());
  return files;
}

TEST(RecordList, MatchesOrvaneCliInfoAndTheExportedGainOnEveryGoldenCase) {
  for (const fs::path& path : GoldenFiles()) {
    SCOPED_TRACE(path.string());
    ViewerWindow window;
    window.OpenFile(QString::fromStdString(path.string()));
    QTreeWidget* list = window.RecordList();
    const auto cli = CliRecords(path.string());
    ASSERT_EQ(list->topLevelItemCount(), static_cast<int>(cli.size()));
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
      const QTreeWidgetItem* item = list->topLevelItem(row);
      EXPECT_EQ(item->text(0).toStdString(), cli[row].name);
      EXPECT_EQ(item->text(1).toStdString(), cli[row].size);
      EXPECT_EQ(TrimmedRight(item->text(3).toStdString()), TrimmedRight(cli[row].desc));
      const fs::path exported = path.parent_path() / "labelled" / ("data." + cli[row].name);
      if (cli[row].name[0] == 'T')
        EXPECT_EQ(item->text(2).toStdString(), ExportedGain(exported)) << cli[row].name;
      else
        EXPECT_TRUE(item->text(2).isEmpty());
    }
    EXPECT_TRUE(window.Problems().isEmpty()) << window.Problems().toStdString();
  }
}

TEST(ViewerWindow, OpensTheRecordNamedAndSaysSoWhenThereIsNone) {
  ViewerWindow window;
  const QString path = QString::fromStdString((GoldenDir() / "larger" / "data.spf").string());
  window.OpenFile(path, "r1");
  EXPECT_EQ(window.RecordList()->currentItem()->text(0), "R1");
  EXPECT_EQ(window.Plot()->Content().pyramid->Source().Count(), 3001u);
  window.OpenFile(path, "T9");
  EXPECT_EQ(window.RecordList()->currentItem()->text(0), "T0");
  EXPECT_TRUE(window.Problems().contains("There is no record T9.")) << window.Problems().toStdString();
  window.RecordList()->setCurrentItem(window.RecordList()->topLevelItem(4));
  EXPECT_EQ(window.Plot()->Content().pyramid->Source().Count(), 4097u) << "selecting I0 draws it";
}

TEST(ViewerWindow, AFileThatIsNoPulseFileOpensWithTheEnginesReason) {
  ScratchDir scratch;
  WriteFile(scratch / "junk.spf", std::string(5000, '\x17'));
  for (const std::string& path : {scratch / "junk.spf", scratch / "missing.spf"}) {
    Outcome why;
    EXPECT_FALSE(PulseFileView::Open(path, PulseFileView::Verify::Full, &why));
    ViewerWindow window;
    window.OpenFile(QString::fromStdString(path));
    EXPECT_TRUE(window.Problems().contains(QString::fromStdString(why.message)))
        << path << ": " << window.Problems().toStdString() << " / " << why.message;
    EXPECT_FALSE(window.Plot()->Content().message.isEmpty());
    EXPECT_EQ(window.RecordList()->topLevelItemCount(), 0) << "nothing salvaged from a file of another kind";
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.Plot()->repaint();
  }
}

TEST(ViewerWindow, ARecordWhoseSamplesEndEarlyShowsWhatIsThereAndSaysSo) {
  ScratchDir scratch;
  std::string bytes = ReadFile((GoldenDir() / "larger" / "data.spf").string());
  bytes.resize(bytes.size() - 3000);  // into the samples of I1, the last record
  WriteFile(scratch / "cut.spf", bytes);
  ViewerWindow window;
  window.OpenFile(QString::fromStdString(scratch / "cut.spf"), "I1");
  EXPECT_FALSE(window.Problems().isEmpty());
  const auto& content = window.Plot()->Content();
  ASSERT_TRUE(content.pyramid);
  const uint64_t present = content.pyramid->Source().Count();
  EXPECT_GT(present, 0u);
  EXPECT_LT(present, 4097u);
  EXPECT_EQ(
      content.message,
      QStringLiteral("The samples end early: %1 of 4097 declared samples are in the file.").arg(present));
}

// A window shown offscreen on a record of ramp samples (sample i has value i % 1000).
class PlotInteraction : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<int16_t> ramp(100'000);
    for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<int16_t>(i % 1000);
    PulseFileBuilder().T(ramp).WriteTo(scratch / "ramp.spf");
    window.OpenFile(QString::fromStdString(scratch / "ramp.spf"));
    window.resize(1200, 600);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    plot = window.Plot();
    plot->setFocus();
  }
  double Middle() const { return viewer::kPlotLeft + viewer::DataArea(plot->size()).width() / 2.0; }
  QPoint At(double x) const { return QPoint(static_cast<int>(x), plot->height() / 2); }
  double Whole() const {
    return 100'000.0 / (viewer::DataArea(plot->size()).width() * plot->devicePixelRatioF());
  }

  ScratchDir scratch;
  ViewerWindow window;
  PlotWidget* plot = nullptr;
};

TEST_F(PlotInteraction, PlusMinusAndHomeZoomAboutTheMiddleAndBackToTheWholeRecord) {
  EXPECT_DOUBLE_EQ(plot->View().samplesPerPixel, Whole());
  const double middle = plot->SampleAt(Middle());
  QTest::keyClick(plot, Qt::Key_Plus);
  QTest::keyClick(plot, Qt::Key_Plus);
  EXPECT_DOUBLE_EQ(plot->View().samplesPerPixel, Whole() / 4);
  EXPECT_NEAR(plot->SampleAt(Middle()), middle, 1e-6);
  QTest::keyClick(plot, Qt::Key_Minus);
  EXPECT_DOUBLE_EQ(plot->View().samplesPerPixel, Whole() / 2);
  QTest::keyClick(plot, Qt::Key_Minus);
  QTest::keyClick(plot, Qt::Key_Minus);
  EXPECT_DOUBLE_EQ(plot->View().samplesPerPixel, Whole()) << "no further out than the whole record";
  for (int i = 0; i < 30; ++i) QTest::keyClick(plot, Qt::Key_Plus);
  EXPECT_DOUBLE_EQ(plot->View().samplesPerPixel, 1.0 / 64) << "no further in than 64 pixels a sample";
  QTest::keyClick(plot, Qt::Key_Home);
  EXPECT_DOUBLE_EQ(plot->View().samplesPerPixel, Whole());
  EXPECT_EQ(plot->View().start, 0);
}

TEST_F(PlotInteraction, ArrowKeysAndDraggingPanWithinTheRecord) {
  QTest::keyClick(plot, Qt::Key_Plus);
  QTest::keyClick(plot, Qt::Key_Plus);
  const double width = viewer::DataArea(plot->size()).width();
  const double step = width / 8 * plot->devicePixelRatioF() * plot->View().samplesPerPixel;
  const double start = plot->View().start;
  QTest::keyClick(plot, Qt::Key_Right);
  EXPECT_NEAR(plot->View().start, start + step, 1e-6);
  QTest::keyClick(plot, Qt::Key_Left);
  EXPECT_NEAR(plot->View().start, start, 1e-6);
  for (int i = 0; i < 40; ++i) QTest::keyClick(plot, Qt::Key_Left);
  EXPECT_EQ(plot->View().start, 0) << "not before the first sample";
  for (int i = 0; i < 40; ++i) QTest::keyClick(plot, Qt::Key_Right);
  EXPECT_NEAR(plot->View().start + width * plot->devicePixelRatioF() * plot->View().samplesPerPixel, 100'000,
              1e-6)
      << "not past the last";

  QTest::keyClick(plot, Qt::Key_Home);
  QTest::keyClick(plot, Qt::Key_Plus);
  const double before = plot->View().start;
  QTest::mousePress(plot, Qt::LeftButton, {}, At(Middle()));
  QTest::mouseMove(plot, At(Middle() - 100));
  QTest::mouseRelease(plot, Qt::LeftButton, {}, At(Middle() - 100));
  EXPECT_NEAR(plot->View().start, before + 100 * plot->devicePixelRatioF() * plot->View().samplesPerPixel,
              1e-6);
}

TEST_F(PlotInteraction, TheWheelZoomsAboutTheSampleUnderThePointer) {
  const QPointF at(viewer::kPlotLeft + 200.0, plot->height() / 2.0);
  const double under = plot->SampleAt(at.x());
  QWheelEvent wheel(at, plot->mapToGlobal(at), {}, QPoint(0, 120), Qt::NoButton, {}, Qt::NoScrollPhase,
                    false);
  QApplication::sendEvent(plot, &wheel);
  EXPECT_DOUBLE_EQ(plot->View().samplesPerPixel, Whole() * 0.8);
  EXPECT_NEAR(plot->SampleAt(at.x()), under, 1e-6);
}

TEST_F(PlotInteraction, ASelectedRangeBecomesTheView) {
  const double from = plot->SampleAt(Middle() - 150), to = plot->SampleAt(Middle() + 50);
  QTest::mousePress(plot, Qt::LeftButton, Qt::ShiftModifier, At(Middle() - 150));
  QTest::mouseMove(plot, At(Middle() + 50));
  QTest::mouseRelease(plot, Qt::LeftButton, Qt::ShiftModifier, At(Middle() + 50));
  EXPECT_NEAR(plot->View().start, from, 1e-6);
  EXPECT_NEAR(plot->SampleAt(viewer::kPlotLeft + viewer::DataArea(plot->size()).width()), to, 1e-6);
  // The right button selects too.
  const double from2 = plot->SampleAt(Middle()), to2 = plot->SampleAt(Middle() + 40);
  QTest::mousePress(plot, Qt::RightButton, {}, At(Middle()));
  QTest::mouseMove(plot, At(Middle() + 40));
  QTest::mouseRelease(plot, Qt::RightButton, {}, At(Middle() + 40));
  EXPECT_NEAR(plot->View().start, from2, 1e-6);
  EXPECT_NEAR(plot->SampleAt(viewer::kPlotLeft + viewer::DataArea(plot->size()).width()), to2, 1e-6);
}

TEST_F(PlotInteraction, TheReadOutNamesTheSamplesUnderThePointer) {
  // Whole view: a device pixel holds about a hundred samples, told by their range.
  QTest::mouseMove(plot, At(viewer::kPlotLeft));
  const QString range = window.statusBar()->currentMessage();
  static const QRegularExpression stretch(R"(^samples 0 to (\d+): 0 to (\d+)$)");
  const auto match = stretch.match(range);
  ASSERT_TRUE(match.hasMatch()) << range.toStdString();
  EXPECT_EQ(match.captured(1).toInt(), match.captured(2).toInt()) << "the ramp's values are its indices here";
  // Zoomed in to a few samples a pixel... then to many pixels a sample.
  for (int i = 0; i < 14; ++i) QTest::keyClick(plot, Qt::Key_Plus);
  ASSERT_LT(plot->View().samplesPerPixel, 1);
  const double x = Middle() + 10;
  QTest::mouseMove(plot, At(x));
  const auto sample = static_cast<int64_t>(std::floor(plot->SampleAt(std::floor(x))));
  EXPECT_EQ(window.statusBar()->currentMessage(),
            QStringLiteral("sample %1: %2").arg(sample).arg(sample % 1000));
}

// The status line tells what lies under a pointer that stays where it is
// while the view changes under it: by keys, Home, the wheel, a selection.
TEST_F(PlotInteraction, TheReadOutFollowsEveryChangeOfTheView) {
  const double x = Middle() + 37;
  QTest::mouseMove(plot, At(x));
  auto status = [this] { return window.statusBar()->currentMessage().toStdString(); };
  std::string before = status();
  ASSERT_FALSE(before.empty());
  for (const Qt::Key key : {Qt::Key_Plus, Qt::Key_Plus, Qt::Key_Right, Qt::Key_Minus, Qt::Key_Home}) {
    QTest::keyClick(plot, key);
    EXPECT_EQ(status(), plot->ReadOut(x).toStdString()) << "after key " << key;
    EXPECT_NE(status(), before) << "after key " << key;
    before = status();
  }
  QWheelEvent wheel(At(x), plot->mapToGlobal(At(x)), {}, QPoint(0, 240), Qt::NoButton, {}, Qt::NoScrollPhase,
                    false);
  QApplication::sendEvent(plot, &wheel);
  EXPECT_EQ(status(), plot->ReadOut(x).toStdString());
  QTest::keyClick(plot, Qt::Key_Home);
  // A selection made with the right button, the pointer left where it ends.
  QTest::mousePress(plot, Qt::RightButton, {}, At(Middle() - 200));
  QTest::mouseMove(plot, At(Middle() + 100));
  QTest::mouseRelease(plot, Qt::RightButton, {}, At(Middle() + 100));
  EXPECT_EQ(status(), plot->ReadOut(Middle() + 100).toStdString());
  EXPECT_LT(plot->View().samplesPerPixel, Whole() / 2);
}

TEST(ViewerWindow, DroppingAFileOpensIt) {
  ViewerWindow window;
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  const fs::path path = GoldenDir() / "mixed" / "data.spf";
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path.string()))});
  const QPoint at(100, 100);
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
  QApplication::sendEvent(&window, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
  QApplication::sendEvent(&window, &drop);
  EXPECT_EQ(window.RecordList()->topLevelItemCount(), static_cast<int>(CliRecords(path.string()).size()));
  EXPECT_TRUE(window.windowTitle().startsWith("data.spf"));
}

}  // namespace
}  // namespace orvane::testing
