// Runs one job per file on up to N threads and hands the results back in the
// order the files were given, each as soon as it and all before it are done.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "run_log.h"

namespace orvane::cli {

struct BatchJobs {
  size_t count = 0;
  // Jobs of the same key touch the same files: each waits until the earlier
  // ones of its key are done. Jobs of different keys run at the same time.
  std::function<std::string(size_t)> key;
  std::function<RunResult(size_t)> run;          // on a worker thread
  std::function<void(size_t, RunResult&)> done;  // on the calling thread, in order
};

void RunBatch(const BatchJobs& jobs, unsigned threads);

// The default number of jobs: the number of cores.
unsigned DefaultJobCount();

}  // namespace orvane::cli
