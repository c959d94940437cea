// The two operations through which the engine reaches whatever user
// interface runs it: a dialog, the command line, or a test recorder. The
// engine may call them from a worker thread, one call at a time and in the
// order of the protocol; an implementation that touches a window hands the
// call over to its own thread.
#pragma once

#include <cstdint>
#include <string>

#include "orvane/export_warnings.h"
#include "orvane/messages.h"
#include "orvane/text_diagnostics.h"

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
  // Shows a status with what the engine knows of it: its path, and the
  // system's reason for a failure. By default only its text is shown.
  virtual void ShowOutcome(const Outcome& outcome) { ShowStatus(outcome.message); }
  // Asked from any thread, often (about once per mebibyte and once per
  // record): true stops the run as soon as it can. A stopped run fails
  // with "conversion cancelled": its temporary files are removed and every
  // existing file stays as it was (an export that keeps partial results
  // keeps the text files it has put in place). Must be cheap and
  // thread-safe; false by default.
  virtual bool StopRequested() { return false; }
  // The run has waited a second for another program to let go of path
  // (a lock on a pulse file); it waits on until the file is free or the
  // run is stopped. Nothing by default.
  virtual void ShowWaiting(const std::string& path) { (void)path; }
  // Something the text of an export cannot carry (one warning per loss and
  // text file, in record order). It changes nothing of the run. Nothing by
  // default.
  virtual void ShowWarning(const ExportWarning& warning) { (void)warning; }
  // A file the run has put in place, once the run has succeeded: the text
  // files of an export (the header text first, then the records in table
  // order) or the pulse file of an import. Nothing by default.
  virtual void FileWritten(const std::string& path) { (void)path; }
  // A line of an import's text that does not say exactly what the import
  // takes from it (see orvane/text_diagnostics.h), in the order of the
  // files and their lines. The run goes on as it would without it. Nothing
  // by default.
  virtual void ShowDiagnostic(const TextDiagnostic& diagnostic) { (void)diagnostic; }
};

// A reporter that shows nothing, for callers that only want the outcome.
class SilentReporter final : public ConversionReporter {
 public:
  void ShowStatus(const std::string&) override {}
  void SetProgressPosition(int) override {}
};

}  // namespace orvane
