// The two operations through which the engine reaches whatever user
// interface runs it: a dialog, the command line, or a test recorder. The
// engine may call them from a worker thread, one call at a time and in the
// order of the protocol; an implementation that touches a window hands the
// call over to its own thread.
#pragma once

#include <cstdint>
#include <string>

namespace orvane {

class ConversionReporter {
 public:
  virtual ~ConversionReporter() = default;
  // Shows the new status text at once.
  virtual void ShowStatus(const std::string& text) = 0;
  // Moves the progress indicator to position (0 to 9) at once.
  virtual void SetProgressPosition(int position) = 0;
  // Finer progress beside the protocol: done of total bytes of the run's
  // input (an export: the pulse file; an import: the text files; total 0
  // when not known). Called about once per mebibyte, possibly from several
  // worker threads at once and out of order; nothing by default.
  virtual void ReportBytes(uint64_t done, uint64_t total) {
    (void)done;
    (void)total;
  }
};

// A reporter that shows nothing, for callers that only want the outcome.
class SilentReporter final : public ConversionReporter {
 public:
  void ShowStatus(const std::string&) override {}
  void SetProgressPosition(int) override {}
};

}  // namespace orvane
