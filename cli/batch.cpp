#include "batch.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "orvane/ordered_runner.h"

namespace orvane::cli {

namespace {

// Lets a job start only once the job before it with the same key is done.
// Jobs are started in index order, so the one waited for is already running
// or done, and the wait always ends.
class KeyTurns {
 public:
  explicit KeyTurns(const BatchJobs& jobs) : previous_(jobs.count, kNone), finished_(jobs.count, false) {
    std::map<std::string, size_t> lastOfKey;
    for (size_t i = 0; i < jobs.count; ++i) {
      auto [it, inserted] = lastOfKey.try_emplace(jobs.key(i), i);
      if (!inserted) {
        previous_[i] = it->second;
        it->second = i;
      }
    }
  }

  void WaitForTurn(size_t i) {
    if (previous_[i] == kNone) return;
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return finished_[previous_[i]]; });
  }

  void Finish(size_t i) {
    std::lock_guard lock(mutex_);
    finished_[i] = true;
    changed_.notify_all();
  }

 private:
  static constexpr size_t kNone = static_cast<size_t>(-1);
  std::vector<size_t> previous_;
  std::vector<bool> finished_;
  std::mutex mutex_;
  std::condition_variable changed_;
};

// Results waiting to be printed, at most this many per thread.
constexpr size_t kWindowPerThread = 8;

}  // namespace

void RunBatch(const BatchJobs& jobs, unsigned threads) {
  KeyTurns turns(jobs);
  OrderedRunner<RunResult> runner(threads, std::max<size_t>(threads, 1) * kWindowPerThread);
  runner.Run(
      jobs.count,
      [&](uint64_t i) {
        turns.WaitForTurn(i);
        RunResult result = jobs.run(i);
        turns.Finish(i);
        return result;
      },
      [&](uint64_t i, RunResult& result) {
        jobs.done(i, result);
        return true;
      });
}

unsigned DefaultJobCount() { return std::max(1u, std::thread::hardware_concurrency()); }

}  // namespace orvane::cli
