#include "run/byte_progress.h"

#include <algorithm>

#include "orvane/pulse_file.h"

namespace orvane {

ByteProgress::ByteProgress(ConversionReporter& reporter, uint64_t total, uint64_t done, RunStop* stop)
    : reporter_(reporter), stop_(stop), total_(total), done_(done), nextReport_(done + kStep) {
  reporter_.ReportBytes(done, total_);
}

void ByteProgress::Add(uint64_t n) {
  const uint64_t done = done_ += n;
  uint64_t next = nextReport_.load();
  // One thread reports each step that is passed; the others go on.
  if (done >= next && nextReport_.compare_exchange_strong(next, done + kStep))
    reporter_.ReportBytes(total_ != 0 ? std::min(done, total_) : done, total_);
}

ReadCredit::ReadCredit(ByteProgress* progress, io::File& file, uint64_t start, uint64_t end)
    : progress_(progress), file_(file), credited_(start), end_(std::max(start, end)) {
  if (progress_ != nullptr)
    file_.WatchReads([this](uint64_t position) {
      Reached(position);
      return !progress_->StopRequested();
    });
}

ReadCredit::~ReadCredit() {
  if (progress_ == nullptr) return;
  file_.WatchReads({});
  Reached(end_);
}

void ReadCredit::Reached(uint64_t position) {
  position = std::min(position, end_);
  if (position <= credited_) return;
  progress_->Add(position - credited_);
  credited_ = position;
}

}  // namespace orvane
