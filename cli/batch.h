// Runs one job per file on up to N threads and hands the results back in the
// order the files were given, each as soon as it and all before it are done.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace orvane::cli {

struct BatchJobs {
  size_t count = 0;
  // Jobs of the same key touch the same files: they run one after another,
  // in order. Jobs of different keys may run at the same time.
  std::function<std::string(size_t)> key;
  std::function<void(size_t)> run;   // on a worker thread
  std::function<void(size_t)> done;  // on the calling thread, in index order
};

void RunBatch(const BatchJobs& jobs, unsigned threads);

// The default number of jobs: the number of cores.
unsigned DefaultJobCount();

}  // namespace orvane::cli
