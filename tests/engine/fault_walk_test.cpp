// The fault seam walked over every I/O call (see fault_walk.h) of an export
// and an import of a small file of every record kind, in both layouts on one
// thread and on four, and of a seal. On one thread the calls come in one
// fixed order, so that the failures met include those of every step.
#include <gtest/gtest.h>

#include "conversion_fixture.h"
#include "fault_walk.h"
#include "header_text_fixture.h"
#include "pulse_file_builder.h"

namespace orvane::testing {
namespace {

PulseFileBuilder OneOfEach() {
  PulseFileBuilder b;
  b.header = EdgeHeader();
  b.records = {BuiltRecord::T({1, -2, 3}), BuiltRecord::R({0.5f, -2.0f}), BuiltRecord::I({9, 8})};
  return b;
}

using ConversionFaultWalk = ConversionTest;

TEST_P(ConversionFaultWalk, ExportOverOldTextFiles) {
  FaultWalk walk = ExportWalk("export", OneOfEach().Sealed(), Labelled(), Threads());
  // The checksum pass and the seek to the offset table are among the failing
  // calls: either failure stops the run before the header text.
  walk.mustMeet = {"binary read error:  data.spf", "seek error:  data.spf"};
  Walk(walk);
}

TEST_P(ConversionFaultWalk, ImportOverAnOldPulseFile) {
  OneOfEach().WriteSealed(Spf());
  ASSERT_EQ(LastStatus(ExportExisting()), "conversion complete");
  DirSnapshot texts = SnapshotDir(scratch.path());
  texts.erase("data.spf");
  FaultWalk walk = ImportWalk("import", texts, kOldPulseFile, Labelled(), Threads());
  if (Threads() == 1)
    walk.mustMeet = {"Binary seek error data.spf", "Binary write error data.spf",
                     "Can't open data.T0 for reading"};
  Walk(walk);
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, ConversionFaultWalk, BothLayoutsAnyThreads(), LayoutName);

// Every failing call of a seal is reported with one of the seal's
// messages, never as success, and leaves the progress where it was.
TEST(SealFaultWalk, EveryFailingCallIsReported) {
  FaultWalk walk{
      "seal", {{"data.spf", OneOfEach().Unsealed()}}, [](RecordedConverter& run, const fs::path& dir) {
        run.SealPulseFile((dir / "data").string());
      }};
  // The seal appends its word in place: a failure after the write leaves the sealed file.
  walk.mayLeave = [](const FaultedRun& r, const std::string& name, const std::optional<std::string>& now) {
    return now == r.complete.at(name);
  };
  walk.check = [](const FaultedRun& r) {
    const std::string spf = (r.dir / "data.spf").string();
    const std::set<std::string> allowed = {"Can't open " + spf + " for writing", "binary read error:  " + spf,
                                           "binary seek error:  " + spf, "binary write error:  " + spf};
    EXPECT_TRUE(allowed.count(LastStatus(r.run.trace))) << r.Describe();
    EXPECT_TRUE(ProgressPositions(r.run.trace).empty()) << r.Describe();
  };
  Walk(walk);
}

}  // namespace
}  // namespace orvane::testing
