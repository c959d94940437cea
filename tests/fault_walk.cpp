#include "fault_walk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>

namespace orvane::testing {

using io::FaultSeam;

std::optional<std::string> FaultedRun::Now(const std::string& name) const {
  auto it = after.find(name);
  return it == after.end() ? std::nullopt : std::optional<std::string>(it->second);
}

std::string FaultedRun::Describe() const {
  static const char* const kNames[] = {"open", "read", "write", "seek", "flush", "close", "rename", "remove"};
  std::string text = "k=" + std::to_string(k);
  if (fault) {
    text += std::string(" ") + kNames[static_cast<int>(fault->call)] + " on " + fault->path;
    if (fault->onlyRead) text += " (only read)";
  }
  return text + "\n" + run.trace.Joined();
}

namespace {

constexpr uint64_t kLongestWalk = 100000;  // far beyond any operation walked

void PutInPlace(const fs::path& dir, const DirSnapshot& files) {
  for (const auto& entry : fs::directory_iterator(dir)) fs::remove_all(entry.path());
  WriteSnapshot(dir, files);
}

std::optional<std::string> Find(const DirSnapshot& files, const std::string& name) {
  auto it = files.find(name);
  return it == files.end() ? std::nullopt : std::optional<std::string>(it->second);
}

// A message with the folder of the walk taken out of the file names in it.
std::string InFolder(std::string message, const fs::path& dir) {
  const std::string prefix = dir.string() + "/";
  for (size_t at; (at = message.find(prefix)) != std::string::npos;) message.erase(at, prefix.size());
  return message;
}

// Failures the running test has had so far.
int FailuresSoFar() {
  return ::testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count();
}

}  // namespace

void CheckRun(const FaultWalk& walk, const FaultedRun& r) {
  EXPECT_TRUE(TemporaryFilesIn(r.dir).empty()) << "a temporary file was left behind: " << r.Describe();
  if (!r.Failed()) {
    EXPECT_EQ(LastStatus(r.run.trace), "conversion complete") << r.Describe();
    EXPECT_TRUE(r.after == r.complete) << "a successful run wrote other files: " << r.Describe();
  } else {
    EXPECT_EQ(LastStatus(r.run.trace), r.run.outcome.message) << r.Describe();
    EXPECT_NE(LastStatus(r.run.trace), "conversion complete") << r.Describe();
    std::set<std::string> names;
    for (const DirSnapshot* files : {&r.before, &r.after})
      for (const auto& [name, bytes] : *files) names.insert(name);
    for (const std::string& name : names) {
      const std::optional<std::string> now = r.Now(name);
      EXPECT_TRUE(now == Find(r.before, name) || (walk.mayLeave && walk.mayLeave(r, name, now)))
          << name << " is neither as it was nor what the run may leave: " << r.Describe();
    }
  }
  if (walk.check) walk.check(r);
}

void Walk(const FaultWalk& walk) {
  ScratchDir dir;
  PutInPlace(dir.path(), walk.before);
  RecordedConverter unfaulted;
  walk.operation(unfaulted, dir.path());
  ASSERT_EQ(LastStatus(unfaulted.trace), "conversion complete") << walk.name;
  const DirSnapshot complete = SnapshotDir(dir.path());
  for (const auto& [name, bytes] : walk.expected)
    EXPECT_EQ(Find(complete, name), bytes) << walk.name << ": " << name;

  int walked = 0, survived = 0, recovered = 0;
  std::set<std::string> met;
  for (uint64_t k = 1; k < kLongestWalk; ++k) {
    PutInPlace(dir.path(), walk.before);
    FaultedRun r{k, std::nullopt, {}, dir.path(), walk.before, complete, {}};
    FaultSeam::Arm(k);
    walk.operation(r.run, dir.path());
    const bool fired = FaultSeam::Fired();
    r.fault = FaultSeam::FiredFault();
    FaultSeam::Disarm();
    r.after = SnapshotDir(dir.path());
    if (!fired) {
      EXPECT_EQ(LastStatus(r.run.trace), "conversion complete") << walk.name;
      EXPECT_TRUE(r.after == complete) << walk.name << ": the unfaulted run wrote other files";
      for (const std::string& message : walk.mustMeet)
        EXPECT_TRUE(met.count(message)) << walk.name << " never met " << message;
      std::cout << "[ fault walk ] " << walk.name << ": " << walked << " faults walked, " << survived
                << " survived (" << recovered << " of them recovered, run complete)\n";
      return;
    }
    const int failuresBefore = FailuresSoFar();
    // Only a failing call on a file the run only read may let it succeed.
    if (!r.Failed()) {
      EXPECT_TRUE(r.OnAFileOnlyRead()) << "the run reported no failure: " << r.Describe();
    }
    CheckRun(walk, r);
    ++walked;
    if (FailuresSoFar() == failuresBefore) ++survived;
    if (!r.Failed()) ++recovered;
    if (r.Failed()) met.insert(InFolder(r.run.outcome.message, dir.path()));
  }
  ADD_FAILURE() << walk.name << ": the walk did not end";
}

namespace {

// A run of the Convert command on data in dir.
FaultWalk::Operation Conversion(bool toText, bool labelled, unsigned threads) {
  return [=](RecordedConverter& run, const fs::path& dir) {
    run.threads = threads;
    run.Convert((dir / (toText ? "data.spf" : "data.pfh")).string(), toText, labelled);
  };
}

// A conversion reports one message: its first failure, last and only
// once, without a last progress reset; or its completion.
void CheckConversion(const FaultedRun& r) {
  const std::vector<std::string> statuses = Statuses(r.run.trace);
  if (!r.Failed()) {
    EXPECT_EQ(statuses.size(), 1u) << r.Describe();
    return;
  }
  const std::vector<int> progress = ProgressPositions(r.run.trace);
  EXPECT_TRUE(!progress.empty() && progress.back() != 0) << r.Describe();
  EXPECT_TRUE(!statuses.empty() && statuses.front() == statuses.back())
      << "the last status is not the first failure: " << r.Describe();
  EXPECT_EQ(std::count(statuses.begin(), statuses.end(), "conversion complete"), 0) << r.Describe();
}

// A record text file that its export put in place part-way, after a read of
// the pulse file failed: the lines it got, then the end mark.
bool IsPartialCopy(const std::string& text, const std::string& complete) {
  return !text.empty() && text.back() == '\n' && text.size() <= complete.size() &&
         complete.compare(0, text.size() - 1, text, 0, text.size() - 1) == 0;
}

}  // namespace

FaultWalk ExportWalk(const std::string& name, const std::string& pulseFile, bool labelled, unsigned threads) {
  FaultWalk walk{name, {{"data.spf", pulseFile}}, Conversion(true, labelled, threads)};
  // An old version of every text file the export writes.
  ScratchDir dir;
  WriteSnapshot(dir.path(), walk.before);
  RecordedConverter run;
  walk.operation(run, dir.path());
  for (const auto& [file, bytes] : SnapshotDir(dir.path()))
    if (file != "data.spf") walk.before[file] = OldVersionOf(file);

  // A step that completed leaves its whole new file; a record whose read of
  // the pulse file failed may leave the lines it got.
  walk.mayLeave = [](const FaultedRun& r, const std::string& file, const std::optional<std::string>& now) {
    const std::optional<std::string> complete = Find(r.complete, file);
    if (!now || !complete) return false;
    const bool readFailed =
        r.fault && r.fault->call == io::Call::Read && r.fault->path == (r.dir / "data.spf").string();
    return now == complete || (readFailed && file != "data.pfh" && IsPartialCopy(*now, *complete));
  };
  walk.check = [](const FaultedRun& r) {
    CheckConversion(r);
    if (!r.Failed()) return;
    const std::vector<int> progress = ProgressPositions(r.run.trace);
    // A run that stops before the header text is written keeps the old one.
    if (std::find(progress.begin(), progress.end(), 6) == progress.end()) {
      EXPECT_EQ(r.Now("data.pfh"), Find(r.before, "data.pfh")) << r.Describe();
    }
    // A failed read during the checksum pass, whatever the partial sum, and
    // a failed seek to the offset table stop the run where they happen.
    const std::string spf = (r.dir / "data.spf").string();
    if (r.run.outcome.message == "binary read error:  " + spf ||
        r.run.outcome.message == "seek error:  " + spf) {
      EXPECT_EQ(Statuses(r.run.trace).size(), 1u) << r.Describe();
      EXPECT_EQ(progress, (std::vector<int>{1, 2, 3})) << r.Describe();
    }
  };
  return walk;
}

FaultWalk ImportWalk(const std::string& name, const DirSnapshot& texts, const std::string& oldPulseFile,
                     bool labelled, unsigned threads) {
  FaultWalk walk{name, texts, Conversion(false, labelled, threads)};
  walk.before["data.spf"] = oldPulseFile;
  walk.check = CheckConversion;  // and a failed import leaves every file as it was
  return walk;
}

}  // namespace orvane::testing
