// Runs independent tasks on several threads of the worker pool and hands
// their results over in task order on the calling thread, so that whatever
// a result reports shows in the same order as a run on one thread would
// show it.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "orvane/worker_pool.h"

namespace orvane {

template <typename Result>
class OrderedRunner {
 public:
  using Task = std::function<Result(uint64_t index)>;
  // Called on the calling thread, in index order; false stops the run.
  using Deliver = std::function<bool(uint64_t index, Result& result)>;

  // Tasks run at most `window` ahead of the next result to deliver, which
  // bounds memory whatever the number of tasks.
  OrderedRunner(unsigned workers, size_t window) : workers_(std::max(1u, workers)), slots_(window) {}

  // True when every result was delivered and accepted. The calling thread
  // is one of the workers: between its deliveries it runs the next task
  // itself rather than waiting for another thread's result, so that a run
  // of one worker starts no thread and a run of many hands off a result
  // only when the caller has nothing to do.
  bool Run(uint64_t count, const Task& task, const Deliver& deliver) {
    count_ = count;
    // No more workers than tasks: a file of one record keeps one thread.
    const uint64_t helpers = std::min<uint64_t>(workers_, count) - (count > 0 ? 1 : 0);
    running_ = helpers;
    for (uint64_t i = 0; i < helpers; ++i) {
      WorkerPool::Shared().Post([this, &task] {
        Work(task);
        std::lock_guard lock(mutex_);
        --running_;
        changed_.notify_all();
      });
    }
    bool accepted = true;
    std::unique_lock lock(mutex_);
    for (uint64_t index = 0; index < count && accepted;) {
      Slot& slot = slots_[index % slots_.size()];
      if (slot.result.has_value()) {
        Result result = std::move(*slot.result);
        slot.result.reset();
        delivered_ = index + 1;
        changed_.notify_all();
        lock.unlock();
        accepted = deliver(index, result);
        lock.lock();
        ++index;
      } else if (MayStart()) {
        const uint64_t mine = next_++;
        lock.unlock();
        Result result = task(mine);
        lock.lock();
        slots_[mine % slots_.size()].result = std::move(result);
      } else {
        changed_.wait(lock);
      }
    }
    stopped_ = true;
    changed_.notify_all();
    changed_.wait(lock, [&] { return running_ == 0; });
    return accepted;
  }

 private:
  struct Slot {
    std::optional<Result> result;
  };

  // Whether a task may start now: one is left, and it stays within the
  // window ahead of the next delivery. Called with mutex_ held.
  bool MayStart() const { return !stopped_ && next_ < count_ && next_ < delivered_ + slots_.size(); }

  void Work(const Task& task) {
    for (;;) {
      uint64_t index;
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return stopped_ || next_ >= count_ || MayStart(); });
        if (stopped_ || next_ >= count_) return;
        index = next_++;
      }
      Result result = task(index);
      std::lock_guard lock(mutex_);
      slots_[index % slots_.size()].result = std::move(result);
      changed_.notify_all();
    }
  }

  unsigned workers_;
  std::vector<Slot> slots_;
  std::mutex mutex_;
  std::condition_variable changed_;
  uint64_t count_ = 0;
  uint64_t next_ = 0;
  uint64_t delivered_ = 0;
  bool stopped_ = false;
  uint64_t running_ = 0;  // workers not yet finished
};

}  // namespace orvane
