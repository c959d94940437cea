// Walks the fault seam over every I/O call of one operation: the k-th call
// fails, for k = 1, 2, ... until a run makes fewer calls than k. Before each
// run the operation's files are put in place afresh. After it:
// - the run failed honestly (it ends on its outcome's message, never on
//   "conversion complete"), or the failing call was on a file it only read,
//   which cannot cost data, and the run went on to the very files an
//   unfaulted run writes;
// - every file is as it was or as the operation may leave it part-way;
// - no temporary file is left.
// The walks are tabled by operation: export, import, pulse power Set, seal.
#pragma once

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "io/file_io.h"
#include "test_support.h"

namespace orvane::testing {

// One run under the armed seam, or on a disk that refuses.
struct FaultedRun {
  uint64_t k = 0;                             // the call that failed, or what the disk refused at
  std::optional<io::FaultSeam::Fault> fault;  // none: no call of the seam failed
  RecordedConverter run;
  fs::path dir;
  const DirSnapshot& before;    // the files in place before the run
  const DirSnapshot& complete;  // the files after an unfaulted run
  DirSnapshot after;

  bool Failed() const { return run.RunFailed(); }
  bool OnAFileOnlyRead() const { return fault && fault->onlyRead; }
  // The file as the run left it; nothing when there is none.
  std::optional<std::string> Now(const std::string& name) const;
  // "k=12 write on /x/data.T0" and the run's trace, for failure messages.
  std::string Describe() const;
};

struct FaultWalk {
  using Operation = std::function<void(RecordedConverter& run, const fs::path& dir)>;
  FaultWalk(std::string what, DirSnapshot files, Operation run)
      : name(std::move(what)), before(std::move(files)), operation(std::move(run)) {}

  std::string name;    // "export mixed labelled"
  DirSnapshot before;  // the files in place before every run
  Operation operation;
  // Whether a failed run may leave `now` as file `name`, besides the file as it was.
  std::function<bool(const FaultedRun& run, const std::string& name, const std::optional<std::string>& now)>
      mayLeave = nullptr;
  // Checks of every faulted run that only this operation makes.
  std::function<void(const FaultedRun& run)> check = nullptr;
  // First failures the walk must meet, files named as in their folder.
  std::set<std::string> mustMeet;
  // Files an unfaulted run must leave, besides the others it leaves.
  DirSnapshot expected;
};

void Walk(const FaultWalk& walk);
// The checks of one run of a walk, whatever disturbed it: no temporary file
// left, and either the files of a complete run or an honest failure that
// left every file as it was or as the operation may leave it.
void CheckRun(const FaultWalk& walk, const FaultedRun& run);

// An export of data.spf over an old version of every text file it writes.
FaultWalk ExportWalk(const std::string& name, const std::string& pulseFile, bool labelled,
                     unsigned threads = 0);
// An import of texts over an old data.spf.
FaultWalk ImportWalk(const std::string& name, const DirSnapshot& texts, const std::string& oldPulseFile,
                     bool labelled, unsigned threads = 0);

}  // namespace orvane::testing
