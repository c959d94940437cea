// Walks the fault seam over every I/O call of an export and an import of
// every golden case (pulse_power_fault_test.cpp does the same for a pulse
// power "Set"): the k-th call fails, for k = 1, 2, ... until a run makes
// fewer calls than k. After each run: a failure is reported and the run does
// not end with "conversion complete"; every file that existed before is
// byte-identical or, for a step that completed, the complete new one; no
// temporary file is left behind.
//
// One exception is deliberate: a failing call on a file that the run only
// reads (its open, a read, a seek, its close) cannot cost data, so there a run
// may also succeed, provided that it wrote the complete new files byte for
// byte. A failing close of such a file is ignored that way, and the import's
// planning pass, which cannot read a record text file, leaves the import to
// the one-thread path, which reads the file again. Such runs are counted as
// recovered.
#include <gtest/gtest.h>

#include <iostream>

#include "robustness_support.h"

namespace orvane::testing {
namespace {

using io::FaultSeam;

struct GoldenCase {
  std::string name;
  bool labelled;
};

std::vector<GoldenCase> AllCases() {
  std::vector<GoldenCase> cases;
  for (const auto& name : GoldenCaseNames())
    for (bool labelled : {true, false}) cases.push_back({name, labelled});
  return cases;
}

// What one run under an armed seam gave.
struct FaultedRun {
  bool fired = false;
  std::optional<FaultSeam::Fault> fault;
};

FaultedRun RunArmed(uint64_t k, const std::function<void()>& run) {
  FaultSeam::Arm(k);
  run();
  FaultedRun result{FaultSeam::Fired(), FaultSeam::FiredFault()};
  FaultSeam::Disarm();
  return result;
}

bool OnAFileOnlyRead(const FaultedRun& run) { return run.fault && run.fault->onlyRead; }

// A record text file that its export put in place part-way, after a read of
// the pulse file failed: the lines it got, then the end mark.
bool IsPartialCopy(const std::string& text, const std::string& complete) {
  return !text.empty() && text.back() == '\n' && text.size() <= complete.size() &&
         complete.compare(0, text.size() - 1, text, 0, text.size() - 1) == 0;
}

// Counts the faults of one walk and prints the figure at its end.
class WalkTally {
 public:
  explicit WalkTally(std::string what) : what_(std::move(what)) {}
  ~WalkTally() {
    std::cout << "[ fault walk ] " << what_ << ": " << walked_ << " faults walked, " << survived_
              << " survived (" << recovered_ << " of them recovered, run complete)\n";
  }
  void Count(bool survived, bool recovered) {
    ++walked_;
    if (survived) ++survived_;
    if (recovered) ++recovered_;
  }

 private:
  std::string what_;
  int walked_ = 0;
  int survived_ = 0;
  int recovered_ = 0;
};

constexpr uint64_t kMaxWalk = 100000;  // far beyond any run below

// What one faulted run gave: whether the fault fired at all, whether every
// check held, and whether the run recovered and completed.
struct Verdict {
  bool fired = true;
  bool survived = true;
  bool recovered = false;
};

// Walks k from 1 until a run ends without the fault firing. `once` runs one
// faulted conversion and checks it; it records its own failures.
void Walk(const std::string& what, const std::function<Verdict(uint64_t)>& once) {
  WalkTally tally(what);
  for (uint64_t k = 1; k < kMaxWalk; ++k) {
    Verdict verdict = once(k);
    if (!verdict.fired) return;
    tally.Count(verdict.survived, verdict.recovered);
  }
  ADD_FAILURE() << what << ": the walk did not end";
}

// The checks shared by every faulted run: the run either failed honestly or
// the fault could not cost data; no temporary file is left.
void CheckFaultedRun(const RecordedConverter& run, const FaultedRun& faulted, const fs::path& dir, uint64_t k,
                     Verdict& verdict) {
  auto fail = [&](const std::string& what) {
    ADD_FAILURE() << DescribeFault(k) << ": " << what << "\n" << run.trace.Joined();
    verdict.survived = false;
  };
  verdict.recovered = !run.RunFailed();
  if (!TemporaryFilesIn(dir).empty()) fail("a temporary file was left behind");
  if (run.RunFailed()) {
    if (LastStatus(run.trace) == "conversion complete") fail("a failed run ended with conversion complete");
    if (LastStatus(run.trace) != run.outcome.message) fail("the last status is not the first failure");
  } else if (!OnAFileOnlyRead(faulted)) {
    fail("the run reported no failure");
  }
}

class FaultWalk : public ::testing::TestWithParam<GoldenCase> {
 protected:
  fs::path CaseDir() const { return GoldenDir() / GetParam().name; }
  fs::path LayoutDir() const { return CaseDir() / (GetParam().labelled ? "labelled" : "bare"); }
  std::string What(const char* direction) const {
    return std::string(direction) + " " + GetParam().name + (GetParam().labelled ? " labelled" : " bare");
  }
};

TEST_P(FaultWalk, ExportKeepsEveryFileOldOrCompletelyNew) {
  const DirSnapshot texts = GoldenTexts(LayoutDir());
  const std::string pulseFile = ReadFile((CaseDir() / "data.spf").string());
  Walk(What("export"), [&](uint64_t k) {
    ScratchDir dir;
    WriteFile(dir / "data.spf", pulseFile);
    for (const auto& [name, bytes] : texts) WriteFile(dir / name, OldVersionOf(name));
    RecordedConverter run;
    FaultedRun faulted = RunArmed(k, [&] { run.Convert(dir / "data.spf", true, GetParam().labelled); });
    DirSnapshot after = SnapshotDir(dir.path());
    if (!faulted.fired) {
      EXPECT_EQ(LastStatus(run.trace), "conversion complete");
      for (const auto& [name, bytes] : texts) EXPECT_EQ(after[name], bytes) << name;
      return Verdict{false};
    }
    Verdict verdict;
    CheckFaultedRun(run, faulted, dir.path(), k, verdict);
    auto fail = [&](const std::string& what) {
      ADD_FAILURE() << DescribeFault(k) << ": " << what;
      verdict.survived = false;
    };
    if (after["data.spf"] != pulseFile) fail("the pulse file changed");
    const bool readFailed =
        faulted.fault && faulted.fault->call == io::Call::Read && faulted.fault->path == dir / "data.spf";
    for (const auto& [name, bytes] : texts) {
      const std::string& now = after[name];
      const bool complete = now == bytes;
      if (!run.RunFailed() && !complete) fail(name + " is incomplete after a successful run");
      if (complete || now == OldVersionOf(name)) continue;
      if (readFailed && name != "data.pfh" && IsPartialCopy(now, bytes)) continue;
      fail(name + " is neither the old nor the complete new file");
    }
    if (after.size() != texts.size() + 1) fail("the run left other files");
    return verdict;
  });
}

TEST_P(FaultWalk, ImportKeepsTheOldPulseFileUnlessItCompleted) {
  const DirSnapshot texts = GoldenTexts(LayoutDir());
  const std::string oldPulseFile = ReadFile((CaseDir() / "data.spf").string()) + "old";
  const std::string newPulseFile = ReadFile((LayoutDir() / "data.spf").string());
  Walk(What("import"), [&](uint64_t k) {
    ScratchDir dir;
    WriteSnapshot(dir.path(), texts);
    WriteFile(dir / "data.spf", oldPulseFile);
    RecordedConverter run;
    FaultedRun faulted = RunArmed(k, [&] { run.Convert(dir / "data.pfh", false, GetParam().labelled); });
    DirSnapshot after = SnapshotDir(dir.path());
    if (!faulted.fired) {
      EXPECT_EQ(LastStatus(run.trace), "conversion complete");
      EXPECT_EQ(after["data.spf"], newPulseFile);
      return Verdict{false};
    }
    Verdict verdict;
    CheckFaultedRun(run, faulted, dir.path(), k, verdict);
    auto fail = [&](const std::string& what) {
      ADD_FAILURE() << DescribeFault(k) << ": " << what;
      verdict.survived = false;
    };
    const std::string& now = after["data.spf"];
    if (run.RunFailed() && now != oldPulseFile) fail("a failed import changed the pulse file");
    if (!run.RunFailed() && now != newPulseFile) fail("a successful import wrote another file");
    for (const auto& [name, bytes] : texts)
      if (after[name] != bytes) fail(name + " changed");
    if (after.size() != texts.size() + 1) fail("the run left other files");
    return verdict;
  });
}

INSTANTIATE_TEST_SUITE_P(GoldenCases, FaultWalk, ::testing::ValuesIn(AllCases()), [](const auto& testInfo) {
  std::string name = testInfo.param.name + (testInfo.param.labelled ? "_labelled" : "_bare");
  for (char& c : name)
    if (!isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
});

}  // namespace
}  // namespace orvane::testing
