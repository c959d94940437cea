// Convert from the dialog: both directions and both layouts on a golden
// case, the bar following the run, and what a failure leaves on show.
#include <QSignalSpy>

#include "dialog_fixture.h"
#include "engine_reference.h"

namespace orvane::testing {
namespace {

namespace fs = std::filesystem;

constexpr char kCase[] = "mixed";

std::vector<std::string> TextFilesOf(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    std::string file = entry.path().filename().string();
    if (file.rfind("data.", 0) == 0 && file != "data.spf") names.push_back(file);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The progress positions of a golden trace, starting with Convert's own 1.
std::vector<int> ProgressOf(const fs::path& trace) {
  std::vector<int> positions = {1};
  std::istringstream lines(ReadFile(trace.string()));
  for (std::string line; std::getline(lines, line);)
    if (line.rfind("progress: ", 0) == 0) positions.push_back(std::stoi(line.substr(10)));
  return positions;
}

struct Run {
  bool toAscii;
  bool labelled;
};

class ConvertGolden : public DialogTest, public ::testing::WithParamInterface<Run> {
 protected:
  fs::path CaseDir() const { return GoldenDir() / kCase; }
  fs::path LayoutDir() const { return CaseDir() / (GetParam().labelled ? "labelled" : "bare"); }

  // Chooses direction and layout by clicks, then presses Convert, recording the bar.
  std::vector<int> ConvertThroughTheDialog(const std::string& name) {
    Show();
    TypeFileName(name);
    Click(GetParam().toAscii ? 1002 : 1003);
    Click(GetParam().labelled ? 1004 : 1005);
    std::vector<int> bar;
    QObject::connect(Bar(), &QProgressBar::valueChanged, [&bar](int value) { bar.push_back(value); });
    Click(1008);
    return bar;
  }
};

TEST_P(ConvertGolden, ShowsConversionCompleteAndWritesTheGoldenFiles) {
  std::vector<int> bar;
  if (GetParam().toAscii) {
    fs::copy_file(CaseDir() / "data.spf", scratch / "data.spf");
    bar = ConvertThroughTheDialog(scratch / "data.spf");
    for (const auto& file : TextFilesOf(LayoutDir()))
      EXPECT_EQ(ReadFile(scratch / file), ReadFile((LayoutDir() / file).string())) << file;
    EXPECT_EQ(bar, ProgressOf(LayoutDir() / "export.trace"));
  } else {
    for (const auto& file : TextFilesOf(LayoutDir())) fs::copy_file(LayoutDir() / file, scratch / file);
    bar = ConvertThroughTheDialog(scratch / "data.pfh");
    EXPECT_EQ(ReadFile(scratch / "data.spf"), ReadFile((LayoutDir() / "data.spf").string()));
    EXPECT_EQ(bar, ProgressOf(LayoutDir() / "import.trace"));
  }
  EXPECT_EQ(Status(), "conversion complete");
  EXPECT_EQ(Bar()->value(), 0);
}

INSTANTIATE_TEST_SUITE_P(BothWays, ConvertGolden,
                         ::testing::Values(Run{true, true}, Run{true, false}, Run{false, true},
                                           Run{false, false}),
                         [](const ::testing::TestParamInfo<Run>& run) {
                           return std::string(run.param.toAscii ? "Export" : "Import") +
                                  (run.param.labelled ? "Labelled" : "Bare");
                         });

// Records what a control shows each time it is painted, each value once.
template <typename Value>
class PaintedValues : public QObject {
 public:
  PaintedValues(QWidget* control, std::function<Value()> shown) : m_shown(std::move(shown)) {
    control->installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::Paint) return false;
    Value value = m_shown();
    if (values.empty() || values.back() != value) values.push_back(value);
    return false;
  }
  std::vector<Value> values;

 private:
  std::function<Value()> m_shown;
};

using ConvertPainting = DialogTest;

TEST_F(ConvertPainting, TheBarIsPaintedAtEveryStepWhileTheRunHoldsTheEventLoop) {
  fs::copy_file(GoldenDir() / kCase / "data.spf", scratch / "data.spf");
  Show();
  TypeFileName(scratch / "data.spf");
  QApplication::processEvents();
  PaintedValues<int> painted(Bar(), [this] { return Bar()->value(); });
  dlg->OnConvert();  // returns when the run has ended and every step is shown
  EXPECT_EQ(painted.values, ProgressOf(GoldenDir() / kCase / "labelled" / "export.trace"));
}

TEST_F(ConvertPainting, TheStatusLineIsPaintedWithTheMessageBeforeTheRunReturns) {
  Show();
  TypeFileName(scratch / "missing.spf");
  QApplication::processEvents();
  PaintedValues<QString> painted(StatusLine(), [this] { return StatusLine()->text(); });
  dlg->OnConvert();
  ASSERT_FALSE(painted.values.empty());
  EXPECT_EQ(painted.values.back().toStdString(), dlg->m_strStatus);
  EXPECT_NE(dlg->m_strStatus, "");
}

using ConvertFailure = DialogTest;

TEST_F(ConvertFailure, LeavesTheFirstFailureAndTheBarWhereTheRunStopped) {
  WriteFile(scratch / "data.spf", std::string(400, 'x'));  // no pulse file
  ReportRecorder engine = ConvertedByTheEngine(scratch / "data.spf", true, true);
  Show();
  TypeFileName(scratch / "data.spf");
  Click(1008);
  EXPECT_EQ(Status(), engine.LastStatus());
  EXPECT_EQ(Bar()->value(), engine.LastPosition());
  EXPECT_GT(Bar()->value(), 0);
  EXPECT_NE(Status(), "conversion complete");
}

TEST_F(ConvertFailure, AnEmptyNameAsksForOneAndLeavesTheBar) {
  Show();
  TypeFileName(scratch / "missing.spf");
  Click(1008);
  int reached = Bar()->value();
  TypeFileName("");
  Click(1008);
  EXPECT_EQ(Status(), "File name required");
  EXPECT_EQ(Bar()->value(), reached);
}

TEST_F(ConvertFailure, ConvertAgainRestartsTheBarAtOne) {
  WriteFile(scratch / "data.spf", std::string(400, 'x'));  // fails past the first step
  Show();
  TypeFileName(scratch / "data.spf");
  Click(1008);
  ASSERT_GT(Bar()->value(), 1);
  QSignalSpy moves(Bar(), &QProgressBar::valueChanged);
  Click(1008);
  ASSERT_FALSE(moves.isEmpty());
  EXPECT_EQ(moves.first().first().toInt(), 1);
}

TEST_F(ConvertFailure, EnterInTheFileNameBoxPressesConvert) {
  Show();
  TypeFileName("");
  QTest::keyClick(FileNameBox(), Qt::Key_Return);
  EXPECT_EQ(Status(), "File name required");
}

}  // namespace
}  // namespace orvane::testing
