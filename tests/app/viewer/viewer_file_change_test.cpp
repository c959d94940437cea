// A file that another program changes while the viewer shows it: copied
// over in place (cp truncates and rewrites the same file), replaced by a
// rename, or removed. The viewer never crashes on it, notices the change
// and reads the file again, keeping the record and the stretch shown.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QProcess>
#include <QStatusBar>
#include <QTest>
#include <QTreeWidget>
#include <cmath>
#include <cstring>
#include <fstream>

#include "mapped_samples.h"
#include "pulse_file_builder.h"
#include "record_list.h"
#include "viewer_window.h"

namespace orvane::testing {
namespace {

using viewer::ViewerWindow;

// A pulse file with a T record of count ramp samples beside a short one.
void WriteRamp(const std::string& path, size_t count, int16_t step = 1) {
  std::vector<int16_t> ramp(count);
  for (size_t i = 0; i < count; ++i) ramp[i] = static_cast<int16_t>((i * step) % 1000);
  PulseFileBuilder().T({1, 2, 3}).T(ramp).WriteTo(path);
}

// As cp writes onto an existing file: the same file cut to nothing, then
// written again.
void CopyInPlace(const std::string& from, const std::string& to) {
  const std::string bytes = ReadFile(from);
  const int fd = ::open(to.c_str(), O_WRONLY | O_TRUNC);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  ::close(fd);
}

uint64_t SamplesShown(const ViewerWindow& window) {
  const auto& pyramid = window.Plot()->Content().pyramid;
  return pyramid ? pyramid->Source().Count() : 0;
}

const QString kReadAgain = QStringLiteral("The file changed on disk and was read again.");

class FileChange : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteRamp(Spf(), 1'000'000);
    window.OpenFile(QString::fromStdString(Spf()), "T1");
    window.resize(1000, 500);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.Plot()->setFocus();
    ASSERT_EQ(SamplesShown(window), 1'000'000u);
  }
  std::string Spf() const { return scratch / "v.spf"; }
  // Zooms in on the middle of the record, far past the end of a short file,
  // to less than a sample a pixel.
  void ZoomIn() {
    for (int i = 0; i < 12; ++i) QTest::keyClick(window.Plot(), Qt::Key_Plus);
    ASSERT_LT(window.Plot()->View().samplesPerPixel, 1);
  }
  std::string CurrentRecord() const { return window.RecordList()->currentItem()->text(0).toStdString(); }

  ScratchDir scratch;
  ViewerWindow window;
};

// A child that is meant to end normally leaves no core file if it does not.
void NoCoreFile() {
  const rlimit none{0, 0};
  setrlimit(RLIMIT_CORE, &none);
}

// In the child: the steps of the test, each a line on standard error, and
// the exit status 0 only when all of them held.
#define CHILD_CHECK(condition)                          \
  do {                                                  \
    if (!(condition)) {                                 \
      std::fprintf(stderr, "failed: %s\n", #condition); \
      std::_Exit(1);                                    \
    }                                                   \
  } while (false)

// Zooming into a file cut short under the mapping: the reads fault inside
// the guard, the plot says so and no read-out is given, and the file is
// read again with the record shown before. In a child of its own, so that a
// crash (SIGBUS, before the reads were guarded) fails this test alone.
TEST_F(FileChange, AZoomIntoAFileCopiedOverInPlaceNeverCrashesAndReadsItAgain) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        NoCoreFile();
        ZoomIn();
        WriteRamp(scratch / "other.spf", 2000);
        CopyInPlace(scratch / "other.spf", Spf());
        // Drawn before the change is noticed: these reads fault.
        QTest::keyClick(window.Plot(), Qt::Key_Plus);
        window.Plot()->repaint();
        QTest::mouseMove(window.Plot(), QPoint(300, 200));
        CHILD_CHECK(window.statusBar()->currentMessage().isEmpty());
        CHILD_CHECK(QTest::qWaitFor([&] { return SamplesShown(window) == 2000u; }, 20000));
        CHILD_CHECK(window.FileState() == kReadAgain);
        CHILD_CHECK(CurrentRecord() == "T1");
        window.Plot()->repaint();
        std::fprintf(stderr, "lived and read it again\n");
        std::_Exit(0);
      },
      ::testing::ExitedWithCode(0), "lived and read it again");
}

// Every read of the samples meets the cut: the pyramid of a record, its
// columns, a range, raw samples, a picture. Each says it could not read
// them; none ends the child.
TEST(FileCutShort, EveryReadOfTheViewerFailsInsteadOfEndingTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  ScratchDir scratch;
  WriteRamp(scratch / "v.spf", 1'000'000);
  EXPECT_EXIT(
      {
        NoCoreFile();
        const auto file = PulseFileView::Open(scratch / "v.spf");
        CHILD_CHECK(file != nullptr);
        const viewer::PlotContent before = viewer::LoadRecord(file, 1);
        CHILD_CHECK(::truncate((scratch / "v.spf").c_str(), 4096) == 0);
        CHILD_CHECK(viewer::LoadRecord(file, 1).unreadable);
        std::vector<viewer::M4Column> columns;
        CHILD_CHECK(!viewer::ReadM4(*before.pyramid, 0, 500, 2000.0, &columns));
        std::vector<float> values;
        CHILD_CHECK(!viewer::ReadSamples(before.pyramid->Source(), 600'000, 10, &values));
        viewer::MinMax range;
        CHILD_CHECK(!viewer::ReadRange(*before.pyramid, 500'000, 500'100, &range));
        bool read = true;
        const QImage image = viewer::RenderPlot(QSize(400, 200), 1.0, before,
                                                viewer::WholeView(before, QSize(400, 200), 1.0), &read);
        CHILD_CHECK(!read && !image.isNull());
        std::fprintf(stderr, "every read failed and the child lives\n");
        std::_Exit(0);
      },
      ::testing::ExitedWithCode(0), "every read failed and the child lives");
}

TEST_F(FileChange, AFileRenamedOverItOrRewrittenIsReadAgainWithTheRecordAndTheStretchShown) {
  ZoomIn();
  const viewer::PlotView zoomed = window.Plot()->View();
  window.CheckFile();
  EXPECT_TRUE(window.FileState().isEmpty()) << "an unchanged file is left as it is";
  EXPECT_EQ(window.Plot()->View().start, zoomed.start);

  WriteRamp(scratch / "new.spf", 1'500'000, 3);
  ASSERT_EQ(std::rename((scratch / "new.spf").c_str(), Spf().c_str()), 0);
  window.CheckFile();
  EXPECT_EQ(SamplesShown(window), 1'500'000u);
  EXPECT_EQ(CurrentRecord(), "T1");
  EXPECT_EQ(window.FileState(), kReadAgain);
  EXPECT_DOUBLE_EQ(window.Plot()->View().start, zoomed.start);
  EXPECT_DOUBLE_EQ(window.Plot()->View().samplesPerPixel, zoomed.samplesPerPixel);
  const auto first = static_cast<int64_t>(std::floor(zoomed.start));
  EXPECT_EQ(window.Plot()->ReadOut(viewer::kPlotLeft),
            QStringLiteral("sample %1: %2").arg(first).arg(first * 3 % 1000))
      << "the new samples are read";

  // Written in place by a program that appends: the record list follows.
  PulseFileBuilder().T({1, 2, 3}).T({4, 5}).T({6}).WriteTo(scratch / "three.spf");
  CopyInPlace(scratch / "three.spf", Spf());
  window.CheckFile();
  EXPECT_EQ(window.RecordList()->topLevelItemCount(), 3);
  EXPECT_EQ(CurrentRecord(), "T1");
  EXPECT_EQ(SamplesShown(window), 2u);
}

TEST_F(FileChange, ARemovedFileSaysSoAndIsShownAgainOnceItIsBack) {
  const std::string bytes = ReadFile(Spf());
  fs::remove(Spf());
  window.CheckFile();
  EXPECT_EQ(window.FileState(), QStringLiteral("The file changed on disk and could not be read again."));
  EXPECT_TRUE(window.Problems().contains(QString::fromStdString(std::strerror(ENOENT))))
      << window.Problems().toStdString();
  EXPECT_EQ(SamplesShown(window), 0u);
  EXPECT_EQ(window.RecordList()->topLevelItemCount(), 0);
  // Put back: the folder is watched, so it shows again without a hand.
  WriteFile(Spf(), bytes);
  ASSERT_TRUE(QTest::qWaitFor([&] { return SamplesShown(window) == 1'000'000u; }, 20000));
  EXPECT_EQ(CurrentRecord(), "T1") << "the record shown before";
  EXPECT_EQ(window.FileState(), kReadAgain);
}

// The real program, started as a user starts it: copying another file onto
// the one it shows, and renaming one over it, makes it map the new file;
// it lives through both and ends on SIGTERM.
class RunningViewer : public ::testing::Test {
 protected:
  // The line of /proc/PID/maps that maps path (its mapping's size and
  // inode), empty when none does.
  std::string MappingOf(const std::string& path) const {
    std::ifstream maps("/proc/" + std::to_string(viewer.processId()) + "/maps");
    std::string line;
    while (std::getline(maps, line))
      if (line.size() > path.size() && line.compare(line.size() - path.size(), path.size(), path) == 0)
        return line;
    return {};
  }
  // The size of the mapping that line describes; 0 for no line.
  static uint64_t MappedBytes(const std::string& line) {
    if (line.empty()) return 0;
    const size_t dash = line.find('-'), blank = line.find(' ');
    return std::stoull(line.substr(dash + 1, blank - dash - 1), nullptr, 16) -
           std::stoull(line.substr(0, dash), nullptr, 16);
  }
  static uint64_t PageRounded(uint64_t bytes) {
    const auto page = static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
    return (bytes + page - 1) / page * page;
  }
  void TearDown() override {
    if (viewer.state() != QProcess::NotRunning) {
      viewer.kill();
      viewer.waitForFinished(10000);
    }
  }

  ScratchDir scratch;
  QProcess viewer;
};

TEST_F(RunningViewer, FollowsAFileCopiedOverItAndOneRenamedOverItAndEndsOnSigterm) {
  const std::string spf = fs::canonical(scratch.path()).string() + "/v.spf";
  WriteRamp(spf, 1'000'000);
  viewer.start(QStringLiteral(ORVANE_VIEW_EXECUTABLE), {QString::fromStdString(spf), "T1"});
  ASSERT_TRUE(viewer.waitForStarted(10000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !MappingOf(spf).empty(); }, 20000));

  WriteRamp(scratch / "other.spf", 3000);
  QProcess cp;
  cp.start("cp", {QString::fromStdString(scratch / "other.spf"), QString::fromStdString(spf)});
  ASSERT_TRUE(cp.waitForFinished(10000));
  ASSERT_EQ(cp.exitCode(), 0);
  const uint64_t copied = fs::file_size(spf);
  EXPECT_TRUE(QTest::qWaitFor([&] { return MappedBytes(MappingOf(spf)) == PageRounded(copied); }, 20000))
      << MappingOf(spf);
  EXPECT_EQ(viewer.state(), QProcess::Running);

  WriteRamp(scratch / "renamed.spf", 500'000);
  const uint64_t renamed = fs::file_size(scratch / "renamed.spf");
  ASSERT_EQ(std::rename((scratch / "renamed.spf").c_str(), spf.c_str()), 0);
  // The new file is mapped, and the one it replaced let go.
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        return MappedBytes(MappingOf(spf)) == PageRounded(renamed) && MappingOf(spf + " (deleted)").empty();
      },
      20000))
      << MappingOf(spf) << " / " << MappingOf(spf + " (deleted)");
  EXPECT_EQ(viewer.state(), QProcess::Running);

  ::kill(static_cast<pid_t>(viewer.processId()), SIGTERM);
  ASSERT_TRUE(viewer.waitForFinished(20000));
  EXPECT_EQ(viewer.exitStatus(), QProcess::CrashExit) << "ended by the signal";
}

}  // namespace
}  // namespace orvane::testing
