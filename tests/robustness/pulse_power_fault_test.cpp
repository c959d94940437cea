// The fault walk over a pulse power "Set": each T record is written and
// sealed by itself, so after any fault the pulse file must be the old one or
// the file of a completed record step; never a record header written without
// its seal.
#include <gtest/gtest.h>

#include <iostream>

#include "pulse_power_states.h"

namespace orvane::testing {
namespace {

using io::FaultSeam;

TEST(PulsePowerFaultWalk, SetLeavesTheFileOfACompletedRecordStep) {
  const std::string original = GeneratedPulseFile(3, 41, 7);
  const std::vector<int> values = {50, -20, 100};
  const std::vector<std::string> states = SetStates(original, values);
  int walked = 0, survived = 0, recovered = 0;
  uint64_t k = 1;
  for (; k < 100000; ++k) {
    ScratchDir dir;
    const std::string path = dir / "data.spf";
    WriteFile(path, original);
    RecordedConverter run;
    FaultSeam::Arm(k);
    run.SetPulsePower(path, PowerText(values));
    const bool fired = FaultSeam::Fired();
    const auto fault = FaultSeam::FiredFault();
    FaultSeam::Disarm();
    const std::string now = ReadFile(path);
    if (!fired) {
      EXPECT_EQ(LastStatus(run.trace), "conversion complete");
      EXPECT_EQ(now, states.back());
      break;
    }
    ++walked;
    bool ok = true;
    auto fail = [&](const std::string& what) {
      ADD_FAILURE() << DescribeFault(k) << ": " << what << "\n" << run.trace.Joined();
      ok = false;
    };
    const int step = StepOf(now, states);
    if (step < 0) fail("the pulse file is not the file of any completed record step");
    if (!TemporaryFilesIn(dir.path()).empty()) fail("a temporary file was left behind");
    // As in the conversion walks: a failing call on a file only read costs
    // no data, and the Set may go on if it then sets every record.
    const bool harmless = fault && fault->onlyRead;
    if (run.RunFailed()) {
      if (LastStatus(run.trace) == "conversion complete") fail("a failed Set ended with conversion complete");
    } else if (!harmless) {
      fail("the Set reported no failure");
    } else if (now != states.back()) {
      fail("a successful Set did not set every record");
    } else {
      ++recovered;
    }
    if (ok) ++survived;
  }
  EXPECT_LT(k, 100000u) << "the walk did not end";
  std::cout << "[ fault walk ] set: " << walked << " faults walked, " << survived << " survived ("
            << recovered << " of them recovered, run complete)\n";
}

// A pulse file without write permission is refused as the conversions
// refuse such a target: whoever runs the program, root included.
TEST(PulsePowerRefusedTarget, SetLeavesAReadOnlyPulseFileUnchanged) {
  const std::string original = GeneratedPulseFile(2, 9, 3);
  ScratchDir dir;
  WriteFile(dir / "data.spf", original);
  fs::permissions(dir / "data.spf", fs::perms::owner_read);
  RecordedConverter run;
  run.SetPulsePower(dir / "data.spf", "50 -20");
  EXPECT_TRUE(run.RunFailed()) << run.trace.Joined();
  EXPECT_TRUE(ReadFile(dir / "data.spf") == original) << "the read-only pulse file was changed";
}

TEST(PulsePowerRefusedTarget, SetOnADirectoryFails) {
  ScratchDir dir;
  fs::create_directory(dir / "data.spf");
  RecordedConverter run;
  run.SetPulsePower(dir / "data.spf", "50");
  EXPECT_TRUE(run.RunFailed());
  EXPECT_TRUE(fs::is_directory(dir / "data.spf"));
}

}  // namespace
}  // namespace orvane::testing
