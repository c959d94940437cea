// The runs of record conversions on the worker pool: results in task order
// however the threads finish, runs inside runs, a run stopped half-way, and
// a child process made by fork after the pool has threads.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "orvane/ordered_runner.h"

namespace orvane {
namespace {

// Squares of 0..count-1 on `workers` threads, later tasks finishing first.
std::vector<uint64_t> Squares(unsigned workers, uint64_t count) {
  OrderedRunner<uint64_t> runner(workers, 4);
  std::vector<uint64_t> delivered;
  const bool accepted = runner.Run(
      count,
      [&](uint64_t n) {
        std::this_thread::sleep_for(std::chrono::microseconds((count - n) % 7 * 50));
        return n * n;
      },
      [&](uint64_t n, uint64_t& square) {
        EXPECT_EQ(n, delivered.size());
        delivered.push_back(square);
        return true;
      });
  EXPECT_TRUE(accepted);
  return delivered;
}

TEST(WorkerPool, RunsDeliverInTaskOrderWhateverTheWorkers) {
  for (unsigned workers : {1u, 2u, 4u, 9u}) {
    for (uint64_t count : {0u, 1u, 3u, 40u}) {
      const auto squares = Squares(workers, count);
      ASSERT_EQ(squares.size(), count);
      for (uint64_t n = 0; n < count; ++n) EXPECT_EQ(squares[n], n * n) << workers << " workers";
    }
  }
}

TEST(WorkerPool, ARunInsideATaskGetsThreadsOfItsOwn) {
  // As a batch of files whose records run on threads: every outer task
  // waits for an inner run while the outer run holds pool threads.
  OrderedRunner<uint64_t> outer(4, 4);
  uint64_t total = 0;
  outer.Run(
      8, [](uint64_t n) { return Squares(3, n + 5).back(); },
      [&](uint64_t, uint64_t& last) {
        total += last;
        return true;
      });
  uint64_t expected = 0;
  for (uint64_t n = 0; n < 8; ++n) expected += (n + 4) * (n + 4);
  EXPECT_EQ(total, expected);
}

TEST(WorkerPool, AStoppedRunEndsOnlyWhenItsWorkersAreDone) {
  std::atomic<int> busy{0};
  for (int round = 0; round < 20; ++round) {
    // The runner goes out of scope as soon as Run returns: a worker still
    // using it would be a use after free.
    OrderedRunner<int> runner(4, 8);
    uint64_t seen = 0;
    const bool accepted = runner.Run(
        1000,
        [&](uint64_t n) {
          ++busy;
          std::this_thread::sleep_for(std::chrono::microseconds(n % 3 * 20));
          --busy;
          return static_cast<int>(n);
        },
        [&](uint64_t, int&) { return ++seen < 5; });
    EXPECT_FALSE(accepted);
    EXPECT_EQ(seen, 5u);
    EXPECT_EQ(busy.load(), 0);
  }
}

TEST(WorkerPool, AChildMadeByForkRunsOnThreadsOfItsOwn) {
  ASSERT_EQ(Squares(4, 16).size(), 16u);  // the parent's pool has threads now
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    alarm(20);  // a hang ends the child with SIGALRM
    const bool ok = Squares(4, 16).size() == 16;
    _exit(ok ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "the child hung or crashed (signal " << WTERMSIG(status) << ")";
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace orvane

namespace orvane {
namespace {

// The thread each task of a run of `workers` ran on, in task order.
std::vector<std::thread::id> TaskThreads(unsigned workers, uint64_t count) {
  OrderedRunner<std::thread::id> runner(workers, 4);
  std::vector<std::thread::id> threads;
  runner.Run(
      count, [](uint64_t) { return std::this_thread::get_id(); },
      [&](uint64_t, std::thread::id& id) {
        threads.push_back(id);
        return true;
      });
  return threads;
}

TEST(WorkerPool, ARunOfOneWorkerStaysOnTheCallingThread) {
  // A batch of files converted one at a time, or the records of a small
  // file, hand nothing to another thread.
  for (const std::thread::id id : TaskThreads(1, 20)) EXPECT_EQ(id, std::this_thread::get_id());
}

TEST(WorkerPool, TheCallingThreadRunsTasksBetweenItsDeliveries) {
  // The first two tasks wait for each other: they can only end if two
  // threads run them at once, and one of those is the caller, which is
  // one of the two workers, not a thread that only waits.
  OrderedRunner<std::thread::id> runner(2, 4);
  std::vector<std::thread::id> threads;
  std::atomic<int> started{0};
  runner.Run(
      40,
      [&](uint64_t n) {
        if (n < 2) {
          ++started;
          const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
          while (started.load() < 2 && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
        }
        return std::this_thread::get_id();
      },
      [&](uint64_t n, std::thread::id& id) {
        EXPECT_EQ(n, threads.size());
        threads.push_back(id);
        return true;
      });
  ASSERT_EQ(threads.size(), 40u);
  EXPECT_EQ(started.load(), 2);
  EXPECT_NE(threads[0], threads[1]);
  EXPECT_TRUE(threads[0] == std::this_thread::get_id() || threads[1] == std::this_thread::get_id());
}

}  // namespace
}  // namespace orvane
