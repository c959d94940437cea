#include "orvane/worker_pool.h"

#include <pthread.h>

#include <thread>

namespace orvane {

namespace {

// Never destroyed: its threads wait for work until the process ends.
WorkerPool* gPool = nullptr;
std::once_flag gPoolMade;

}  // namespace

WorkerPool& WorkerPool::Shared() {
  std::call_once(gPoolMade, [] {
    gPool = new WorkerPool;
    // The child's copy of the pool counts threads it does not have, and its
    // mutex may have been held by one of them.
    pthread_atfork(nullptr, nullptr, [] { gPool = new WorkerPool; });
  });
  return *gPool;
}

void WorkerPool::Post(std::function<void()> job) {
  std::lock_guard lock(mutex_);
  jobs_.push_back(std::move(job));
  if (waiting_ >= jobs_.size()) {
    posted_.notify_one();
  } else {
    std::thread([this] { Serve(); }).detach();
  }
}

void WorkerPool::Serve() {
  std::unique_lock lock(mutex_);
  for (;;) {
    ++waiting_;
    posted_.wait(lock, [this] { return !jobs_.empty(); });
    --waiting_;
    std::function<void()> job = std::move(jobs_.front());
    jobs_.pop_front();
    lock.unlock();
    job();
    job = nullptr;  // whatever it holds goes before the thread waits again
    lock.lock();
  }
}

}  // namespace orvane
