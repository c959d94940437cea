// The fine-grained progress of a run: bytes of its input done of the total,
// handed to the reporter about once per mebibyte from whichever thread
// reads them.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "io/file_io.h"
#include "orvane/reporter.h"
#include "run/run_stop.h"

namespace orvane {

struct PulseFileHeader;

class ByteProgress {
 public:
  // stop (may be null) ends the reading of every file credited to this
  // progress once the run is asked to stop.
  ByteProgress(ConversionReporter& reporter, uint64_t total, uint64_t done, RunStop* stop = nullptr);
  // Counts n more bytes done; thread-safe.
  void Add(uint64_t n);
  bool StopRequested() const { return stop_ != nullptr && stop_->Requested(); }

 private:
  static constexpr uint64_t kStep = uint64_t{1} << 20;
  ConversionReporter& reporter_;
  RunStop* stop_;
  const uint64_t total_;
  std::atomic<uint64_t> done_;
  std::atomic<uint64_t> nextReport_;
};

// Credits what is read of file between start and end to progress while it
// lives, and the rest of the span when it ends; a stopped run's reading of
// file fails from the next read of the system on. Nothing with a null
// progress.
class ReadCredit {
 public:
  ReadCredit(ByteProgress* progress, io::File& file, uint64_t start, uint64_t end);
  ~ReadCredit();
  ReadCredit(const ReadCredit&) = delete;
  ReadCredit& operator=(const ReadCredit&) = delete;

 private:
  void Reached(uint64_t position);
  ByteProgress* progress_;
  io::File& file_;
  uint64_t credited_;  // position up to which bytes are counted
  uint64_t end_;
};

}  // namespace orvane
