// Threads kept for the runs of record and file conversions. A conversion of
// a small file takes less time than starting its threads would, and a batch
// of small files starts a run for each; the pool starts a thread only when
// none is waiting for work and keeps it for the next run.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace orvane {

class WorkerPool {
 public:
  // The process's pool, made on first use. A child made by fork gets a new,
  // empty one, as the threads of its parent are not in it.
  static WorkerPool& Shared();

  // Runs job on a thread of the pool. Never waits for another job: a job
  // that posts jobs and waits for them (a file of a batch whose records run
  // on threads) gets threads of its own.
  void Post(std::function<void()> job);

 private:
  WorkerPool() = default;
  void Serve();

  std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<std::function<void()>> jobs_;
  size_t waiting_ = 0;  // threads waiting for a job
};

}  // namespace orvane
