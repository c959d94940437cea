// One run of the engine for Python: the engine works on a thread of its
// own while the calling thread keeps Python responsive. Between short waits
// without the GIL, the calling thread runs Python's signal handlers (Ctrl-C)
// and passes progress to the callback; an exception from either asks the
// run to stop, and is raised once the run has ended — so an interrupted
// run removes its temporary files and leaves every existing file as it was.
#pragma once

#include <pybind11/pybind11.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "orvane/reporter.h"

namespace orvane::python {

class EngineRun final : public ConversionReporter {
 public:
  // progress: None, or called as progress(done, total, status) with the
  // bytes of the run's input done and in all (total 0 when not known).
  explicit EngineRun(pybind11::object progress) : progress_(std::move(progress)) {}

  // Runs work to its end; call with the GIL held. Raises the first
  // exception of a signal handler or of the callback after work ended.
  void Run(const std::function<void(ConversionReporter&)>& work);

  // The files the run put in place, as the engine reported them.
  const std::vector<std::string>& Written() const { return written_; }
  // What the text of an export cannot carry, in the order reported.
  const std::vector<ExportWarning>& Warnings() const { return warnings_; }
  // The diagnostics of the run's text, in order.
  const std::vector<TextDiagnostic>& Diagnostics() const { return diagnostics_; }

  void ShowStatus(const std::string& text) override;
  void SetProgressPosition(int) override {}
  void ReportBytes(uint64_t done, uint64_t total) override;
  bool StopRequested() override { return stop_.load(std::memory_order_relaxed); }
  void ShowWaiting(const std::string& path) override;
  void FileWritten(const std::string& path) override;
  void ShowWarning(const ExportWarning& warning) override;
  void ShowDiagnostic(const TextDiagnostic& diagnostic) override;

 private:
  // With the GIL held: passes on what changed and checks for signals.
  void Deliver(bool last);
  void Keep(pybind11::error_already_set&& e);

  pybind11::object progress_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::condition_variable wake_;
  bool finished_ = false;
  bool changed_ = false;
  uint64_t done_ = 0;
  uint64_t total_ = 0;
  std::string status_;
  std::vector<std::string> waiting_;  // paths to tell the user about
  std::vector<std::string> written_;
  std::vector<ExportWarning> warnings_;
  std::vector<TextDiagnostic> diagnostics_;
  std::optional<pybind11::error_already_set> error_;
};

}  // namespace orvane::python
