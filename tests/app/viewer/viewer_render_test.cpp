// The picture: orvane-view --render as scripts run it, and the plot drawn at
// twice the device resolution. A single sample that stands out of ten
// million must show at full view; non-finite samples leave a gap marked on
// the index axis.
#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <cerrno>
#include <cmath>
#include <cstring>
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

// The names orvane-cli takes: data, data.spf and data.pfh all draw data.spf;
// a file that cannot be opened is named with the system's reason.
TEST(RenderCommand, TakesTheFileNamesOfTheCommandLineAndSaysWhyAFileCannotBeOpened) {
  ScratchDir scratch;
  fs::copy_file(GoldenDir() / "larger" / "data.spf", scratch / "data.spf");
  WriteFile(scratch / "data.pfh", "MAGC: 1\n");  // a header text file: no pulse file
  const QString out = QString::fromStdString(scratch / "out.png");
  for (const std::string name : {"data", "data.spf", "data.pfh"}) {
    fs::remove(scratch / "out.png");
    const Rendered run = RenderWithProgram({"--render", out, QString::fromStdString(scratch / name), "r1"});
    EXPECT_EQ(run.exitCode, 0) << name << ": " << run.errors.toStdString();
    EXPECT_EQ(QImage(out).size(), QSize(1000, 400)) << name;
  }
  const std::string missing = scratch / "missing";
  const Rendered run = RenderWithProgram({"--render", out, QString::fromStdString(missing), "T0"});
  EXPECT_EQ(run.exitCode, 1);
  const std::string expected =
      "orvane-view: Can't open " + missing + ".spf for reading: " + std::strerror(ENOENT) + "\n";
  EXPECT_TRUE(run.errors.endsWith(QString::fromStdString(expected))) << run.errors.toStdString();
}

// A size that is none, or one too large to draw, is refused before anything
// is drawn, saying what is wrong, with the usage after it.
TEST(RenderCommand, RefusesASizeThatIsNoneOrTooLargeAndSaysWhy) {
  ScratchDir scratch;
  const QString out = QString::fromStdString(scratch / "out.png");
  const QString file = QString::fromStdString((GoldenDir() / "larger" / "data.spf").string());
  const std::vector<std::pair<QString, QString>> cases = {
      {"abc", "give it as WIDTHxHEIGHT"},
      {"10x", "give it as WIDTHxHEIGHT"},
      {"x10", "give it as WIDTHxHEIGHT"},
      {"1000x400x3", "give it as WIDTHxHEIGHT"},
      {"0x0", "width and height must be 1 to 16384"},
      {"-5x10", "width and height must be 1 to 16384"},
      {"100000x100000", "width and height must be 1 to 16384"},
      {"16385x10", "width and height must be 1 to 16384"},
  };
  for (const auto& [size, why] : cases) {
    const Rendered run = RenderWithProgram({"--render", out, "--size", size, file, "T0"});
    EXPECT_EQ(run.exitCode, 2) << size.toStdString();
    EXPECT_TRUE(run.errors.contains(QStringLiteral("orvane-view: invalid size '%1': %2").arg(size, why)))
        << size.toStdString() << ": " << run.errors.toStdString();
    EXPECT_TRUE(run.errors.contains("usage: orvane-view")) << size.toStdString();
    EXPECT_FALSE(run.errors.contains("QPainter")) << size.toStdString() << ": " << run.errors.toStdString();
    EXPECT_FALSE(fs::exists(scratch / "out.png")) << size.toStdString();
  }
  const Rendered missing = RenderWithProgram({"--render", out, "--size"});
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_TRUE(missing.errors.contains("orvane-view: --size needs a value")) << missing.errors.toStdString();
  const Rendered largest = RenderWithProgram({"--render", out, "--size", "16384x50", file, "T0"});
  EXPECT_EQ(largest.exitCode, 0) << largest.errors.toStdString();
  EXPECT_EQ(QImage(out).size(), QSize(16384, 50));
}

// The columns of the band below the data area that hold a label's ink.
std::vector<int> LabelColumns(const QImage& image) {
  const QRect area = viewer::DataArea(image.size());
  std::vector<int> inked;
  for (int x = 0; x < image.width(); ++x)
    for (int y = area.bottom() + 7; y < image.height(); ++y)
      if (qGray(image.pixel(x, y)) < 160) {
        inked.push_back(x);
        break;
      }
  return inked;
}

// Where the record ends on a tick, that tick's label is drawn, and whole:
// inside the picture, clear of its last column.
TEST(RenderCommand, TheLabelOfTheRecordsLastIndexIsDrawnWholeInsideThePicture) {
  ScratchDir scratch;
  for (const size_t count : {60, 1000, 100'000}) {
    std::vector<int16_t> ramp(count);
    for (size_t i = 0; i < count; ++i) ramp[i] = static_cast<int16_t>(i % 1000);
    PulseFileBuilder().T(ramp).WriteTo(scratch / "ramp.spf");
    const QString out = QString::fromStdString(scratch / "ramp.png");
    const Rendered run =
        RenderWithProgram({"--render", out, QString::fromStdString(scratch / "ramp.spf"), "T0"});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QImage image(out);
    const std::vector<int> inked = LabelColumns(image);
    ASSERT_FALSE(inked.empty()) << count;
    const QRect area = viewer::DataArea(image.size());
    EXPECT_GT(inked.back(), area.right() - 20) << count << ": the label of " << count << " is there";
    EXPECT_LT(inked.back(), image.width() - 1) << count << ": and ends inside the picture";
  }
}

}  // namespace
}  // namespace orvane::testing
