#include "engine_run.h"

#include <chrono>
#include <thread>

#include "bindings.h"

namespace py = pybind11;

namespace orvane::python {

namespace {
// How often a waiting caller looks for Ctrl-C and progress.
constexpr auto kPoll = std::chrono::milliseconds(20);
}  // namespace

void EngineRun::ShowStatus(const std::string& text) {
  std::lock_guard lock(mutex_);
  status_ = text;
  changed_ = true;
}

void EngineRun::ReportBytes(uint64_t done, uint64_t total) {
  std::lock_guard lock(mutex_);
  if (done < done_ && total == total_) return;  // an older report overtaken by a newer one
  done_ = done;
  total_ = total;
  changed_ = true;
}

void EngineRun::ShowWaiting(const std::string& path) {
  {
    std::lock_guard lock(mutex_);
    waiting_.push_back(path);
  }
  wake_.notify_all();
}

void EngineRun::FileWritten(const std::string& path) {
  std::lock_guard lock(mutex_);
  written_.push_back(path);
}

void EngineRun::ShowWarning(const ExportWarning& warning) {
  std::lock_guard lock(mutex_);
  warnings_.push_back(warning);
}

void EngineRun::ShowDiagnostic(const TextDiagnostic& diagnostic) {
  std::lock_guard lock(mutex_);
  diagnostics_.push_back(diagnostic);
}

void EngineRun::Keep(py::error_already_set&& e) {
  if (!error_) error_.emplace(std::move(e));
  stop_ = true;
}

void EngineRun::Deliver(bool last) {
  std::vector<std::string> waiting;
  uint64_t done, total;
  std::string status;
  bool changed;
  {
    std::lock_guard lock(mutex_);
    waiting.swap(waiting_);
    changed = changed_ || last;
    changed_ = false;
    done = done_;
    total = total_;
    status = status_;
  }
  for (const std::string& path : waiting) {
    const std::string text =
        "orvane: waiting for another program to let go of " + path + " (Ctrl-C gives up)\n";
    PySys_FormatStderr("%U", FsText(text).ptr());
  }
  if (PyErr_CheckSignals() != 0) Keep(py::error_already_set());
  if (progress_.is_none() || error_ || !changed) return;
  // A run that has ended has read all its input.
  if (last && total != 0) done = total;
  try {
    progress_(done, total, FsText(status));
  } catch (py::error_already_set& e) {
    Keep(std::move(e));
  }
}

void EngineRun::Run(const std::function<void(ConversionReporter&)>& work) {
  std::exception_ptr failure;
  std::thread worker([&] {
    try {
      work(*this);
    } catch (...) {
      failure = std::current_exception();
    }
    {
      std::lock_guard lock(mutex_);
      finished_ = true;
    }
    wake_.notify_all();
  });
  for (;;) {
    bool finished;
    {
      py::gil_scoped_release release;
      std::unique_lock lock(mutex_);
      wake_.wait_for(lock, kPoll, [&] { return finished_ || !waiting_.empty(); });
      finished = finished_;
    }
    if (finished) break;
    Deliver(false);
  }
  {
    py::gil_scoped_release release;
    worker.join();
  }
  if (failure) std::rethrow_exception(failure);
  if (!error_) Deliver(true);
  if (error_) {
    py::error_already_set e = std::move(*error_);
    error_.reset();
    throw e;
  }
}

}  // namespace orvane::python
