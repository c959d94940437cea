#include "batch.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace orvane::cli {

namespace {

// Indices grouped by key, each group in index order, groups in the order of
// their first index.
std::vector<std::vector<size_t>> GroupByKey(const BatchJobs& jobs) {
  std::vector<std::vector<size_t>> groups;
  std::map<std::string, size_t> groupOfKey;
  for (size_t i = 0; i < jobs.count; ++i) {
    auto [it, inserted] = groupOfKey.emplace(jobs.key(i), groups.size());
    if (inserted) groups.emplace_back();
    groups[it->second].push_back(i);
  }
  return groups;
}

}  // namespace

void RunBatch(const BatchJobs& jobs, unsigned threads) {
  const auto groups = GroupByKey(jobs);
  std::mutex mutex;
  std::condition_variable finished;
  std::vector<bool> done(jobs.count, false);
  std::atomic<size_t> nextGroup{0};

  auto worker = [&] {
    for (size_t g; (g = nextGroup++) < groups.size();) {
      for (size_t i : groups[g]) {
        jobs.run(i);
        std::lock_guard lock(mutex);
        done[i] = true;
        finished.notify_all();
      }
    }
  };
  const size_t count = std::clamp<size_t>(threads, 1, std::max<size_t>(groups.size(), 1));
  std::vector<std::thread> pool;
  for (size_t t = 0; t < count; ++t) pool.emplace_back(worker);

  for (size_t i = 0; i < jobs.count; ++i) {
    {
      std::unique_lock lock(mutex);
      finished.wait(lock, [&] { return done[i]; });
    }
    jobs.done(i);
  }
  for (auto& thread : pool) thread.join();
}

unsigned DefaultJobCount() { return std::max(1u, std::thread::hardware_concurrency()); }

}  // namespace orvane::cli
