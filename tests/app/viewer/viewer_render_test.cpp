// The picture: orvane-view --render as scripts run it, and the plot drawn at
// twice the device resolution. A single sample that stands out of ten
// million must show at full view; non-finite samples leave a gap marked on
// the index axis.
#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <cmath>
#include <limits>

#include "plot_painter.h"
#include "pulse_file_builder.h"
#include "record_list.h"

namespace orvane::testing {
namespace {

constexpr QRgb kTrace = 0xFF143CA0;
constexpr QRgb kMark = 0xFFC80000;

struct Rendered {
  int exitCode = -1;
  QString errors;
  QImage image;
};

Rendered RenderWithProgram(const QStringList& arguments) {
  QProcess program;
  program.start(QStringLiteral(ORVANE_VIEW_EXECUTABLE), arguments);
  EXPECT_TRUE(program.waitForFinished(60000));
  Rendered result;
  result.exitCode = program.exitCode();
  result.errors = QString::fromLocal8Bit(program.readAllStandardError());
  return result;
}

// Per device column of the data area: the topmost and bottommost row with
// the trace's colour (-1: none), and whether the column holds a mark.
struct ColumnPixels {
  int top = -1, bottom = -1;
  bool marked = false;
};

std::vector<ColumnPixels> ScanColumns(const QImage& image, const QRect& area) {
  std::vector<ColumnPixels> columns(area.width());
  for (int x = 0; x < area.width(); ++x)
    for (int y = area.top(); y <= area.bottom(); ++y) {
      const QRgb pixel = image.pixel(area.left() + x, y);
      if (pixel == kMark) columns[x].marked = true;
      if (pixel != kTrace) continue;
      if (columns[x].top < 0) columns[x].top = y;
      columns[x].bottom = y;
    }
  return columns;
}

// The row most columns draw at: where the zeros lie.
int BaselineRow(const std::vector<ColumnPixels>& columns) {
  std::map<int, int> rows;
  for (const ColumnPixels& c : columns)
    if (c.top >= 0) ++rows[c.top];
  return std::max_element(rows.begin(), rows.end(), [](auto& a, auto& b) { return a.second < b.second; })
      ->first;
}

constexpr uint32_t kSamples = 10'000'000, kSpikeAt = 6'543'210;

class SpikeRender : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::vector<int16_t> zeros(kSamples, 0);
    zeros[kSpikeAt] = 1000;
    std::vector<float> reals(kSamples, 0.0f);
    reals[kSpikeAt] = -5e6f;
    // A stretch of NaNs (a gap) and one infinity amid zeros (no gap).
    for (uint32_t i = 2'000'000; i < 2'100'000; ++i) reals[i] = std::numeric_limits<float>::quiet_NaN();
    reals[8'000'000] = std::numeric_limits<float>::infinity();
    scratch = new ScratchDir;
    PulseFileBuilder().T(zeros).R(reals).WriteTo(*scratch / "spike.spf");
  }
  static void TearDownTestSuite() { delete scratch; }
  static ScratchDir* scratch;
};
ScratchDir* SpikeRender::scratch = nullptr;

TEST_F(SpikeRender, OneSampleInTenMillionStandsOutOfAnEightHundredPixelPicture) {
  const QString out = QString::fromStdString(*scratch / "t0.png");
  const Rendered run = RenderWithProgram(
      {"--render", out, "--size", "800x300", QString::fromStdString(*scratch / "spike.spf"), "T0"});
  ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
  const QImage image(out);
  ASSERT_EQ(image.size(), QSize(800, 300));
  const QRect area = viewer::DataArea(image.size());
  const auto columns = ScanColumns(image, area);
  const int baseline = BaselineRow(columns);
  std::vector<int> raised;
  for (int x = 0; x < area.width(); ++x)
    if (columns[x].top >= 0 && columns[x].top < baseline - area.height() / 2) raised.push_back(x);
  ASSERT_FALSE(raised.empty()) << "the spike is not drawn";
  EXPECT_LE(raised.size(), 2u);
  const double expected = double(kSpikeAt) / kSamples * area.width();
  EXPECT_NEAR(raised.front(), expected, 1.5);
  // Every column draws its zeros: the line is whole.
  for (int x = 0; x < area.width(); ++x) EXPECT_GE(columns[x].top, 0) << x;
}

TEST_F(SpikeRender, RealsShowTheirSpikeAndAGapMarkedOnTheAxisWhereOnlyNaNsLie) {
  const QString out = QString::fromStdString(*scratch / "r0.png");
  const Rendered run = RenderWithProgram(
      {"--render", out, "--size", "800x300", QString::fromStdString(*scratch / "spike.spf"), "r0"});
  ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
  const QImage image(out);
  const QRect area = viewer::DataArea(image.size());
  const auto columns = ScanColumns(image, area);
  const double perColumn = double(kSamples) / area.width();
  const int spike = static_cast<int>(kSpikeAt / perColumn);
  EXPECT_GT(columns[spike].bottom, area.bottom() - area.height() / 4) << "the spike points down";
  // Column k holds samples [floor(k * perColumn), floor((k + 1) * perColumn)).
  auto isNaN = [](uint64_t i) { return i >= 2'000'000 && i < 2'100'000; };
  int gaps = 0;
  for (int x = 0; x < area.width(); ++x) {
    const auto begin = static_cast<uint64_t>(std::floor(x * perColumn)),
               end = static_cast<uint64_t>(std::floor((x + 1) * perColumn));
    const bool allNaN = isNaN(begin) && isNaN(end - 1);
    const bool anyNonFinite = isNaN(begin) || isNaN(end - 1) || (begin < 2'000'000 && end > 2'000'000) ||
                              (begin <= 8'000'000 && end > 8'000'000);
    EXPECT_EQ(columns[x].marked, anyNonFinite) << x;
    EXPECT_EQ(columns[x].top < 0, allNaN) << x;
    gaps += allNaN;
  }
  EXPECT_GE(gaps, 6);
}

TEST_F(SpikeRender, AtTwiceTheDeviceResolutionTheSpikeIsOneDevicePixelWide) {
  auto file = PulseFileView::Open(*scratch / "spike.spf");
  ASSERT_TRUE(file);
  const auto content = viewer::LoadRecord(*file, 0);
  const QSize logical(800, 300);
  const QImage image = viewer::RenderPlot(logical, 2.0, content, viewer::WholeView(content, logical, 2.0));
  ASSERT_EQ(image.size(), QSize(1600, 600));
  const QRect logicalArea = viewer::DataArea(logical);
  const QRect area(logicalArea.topLeft() * 2, logicalArea.size() * 2);
  const auto columns = ScanColumns(image, area);
  const int baseline = BaselineRow(columns);
  std::vector<int> raised;
  for (int x = 0; x < area.width(); ++x)
    if (columns[x].top >= 0 && columns[x].top < baseline - area.height() / 2) raised.push_back(x);
  ASSERT_EQ(raised.size(), 1u);
  EXPECT_NEAR(raised.front(), double(kSpikeAt) / kSamples * area.width(), 1.5);
  EXPECT_EQ(columns[raised.front() + 1].top, baseline) << "one device pixel, not two";
}

TEST(RenderCommand, DrawsEveryRecordOfEveryGoldenCase) {
  ScratchDir scratch;
  int drawn = 0;
  for (const auto& entry : fs::directory_iterator(GoldenDir())) {
    const std::string path = (entry.path() / "data.spf").string();
    if (!fs::exists(path)) continue;
    auto file = PulseFileView::Open(path);
    ASSERT_TRUE(file) << path;
    for (const RecordView& record : file->Records()) {
      const QString out = QString::fromStdString(scratch / "out.png");
      const Rendered run = RenderWithProgram(
          {"--render", out, QString::fromStdString(path), QString::fromStdString(record.Name())});
      ASSERT_EQ(run.exitCode, 0) << path << " " << record.Name() << ": " << run.errors.toStdString();
      const QImage image(out);
      ASSERT_EQ(image.size(), QSize(1000, 400));
      const auto columns = ScanColumns(image, viewer::DataArea(image.size()));
      const bool traced = std::any_of(columns.begin(), columns.end(), [](auto& c) { return c.top >= 0; });
      EXPECT_EQ(traced, record.SampleCount() > 0) << path << " " << record.Name();
      ++drawn;
    }
  }
  EXPECT_GT(drawn, 10);
}

TEST(RenderCommand, ANonPulseFileOrAMissingRecordFailsWithTheReason) {
  ScratchDir scratch;
  WriteFile(scratch / "junk.spf", std::string(1000, 'x'));
  Outcome why;
  EXPECT_FALSE(PulseFileView::Open(scratch / "junk.spf", PulseFileView::Verify::Full, &why));
  const QString out = QString::fromStdString(scratch / "out.png");
  Rendered run = RenderWithProgram({"--render", out, QString::fromStdString(scratch / "junk.spf"), "T0"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.errors.contains(QString::fromStdString(why.message))) << run.errors.toStdString();
  EXPECT_FALSE(fs::exists(scratch / "out.png"));

  run = RenderWithProgram(
      {"--render", out, QString::fromStdString((GoldenDir() / "t-records" / "data.spf").string()), "R0"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.errors.contains("no record R0")) << run.errors.toStdString();
  run = RenderWithProgram({"--render", out, "--size", "0x10", "a.spf", "T0"});
  EXPECT_EQ(run.exitCode, 2);
}

}  // namespace
}  // namespace orvane::testing
