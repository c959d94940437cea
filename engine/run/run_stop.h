// Whether a run has been asked to stop: its front end's reporter is asked,
// from any thread, and a yes is remembered for the rest of the run. The
// same object tells a wait for another program's lock when to give up and
// tells the front end that the run waits.
#pragma once

#include <atomic>
#include <string>

#include "io/file_io.h"
#include "orvane/reporter.h"

namespace orvane {

class RunStop final : public io::LockWait {
 public:
  // reporter may be null: a run nothing can stop.
  explicit RunStop(ConversionReporter* reporter) : reporter_(reporter) {}
  bool Requested() {
    if (stopped_.load(std::memory_order_relaxed)) return true;
    if (reporter_ == nullptr || !reporter_->StopRequested()) return false;
    stopped_.store(true, std::memory_order_relaxed);
    return true;
  }
  void Waiting(const std::string& path) override {
    if (reporter_ != nullptr) reporter_->ShowWaiting(path);
  }
  bool GiveUp() override { return Requested(); }

 private:
  ConversionReporter* reporter_;
  std::atomic<bool> stopped_{false};
};

}  // namespace orvane
