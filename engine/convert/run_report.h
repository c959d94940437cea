// What one run of the engine reports as it goes: its status messages and
// progress steps, shown through the front end's ConversionReporter, and the
// run's outcome, which is its first failure or the last status shown. The
// drivers and record converters write to it; nothing else of a run is kept
// between its steps.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "io/file_io.h"
#include "orvane/export_warnings.h"
#include "orvane/messages.h"
#include "orvane/reporter.h"
#include "run/run_stop.h"

namespace orvane {

class RunReport {
 public:
  // Shows everything through reporter, which may stop the run; while the
  // report lives, a wait of this thread for another program's lock is
  // shown through it and given up when the run is stopped.
  explicit RunReport(ConversionReporter& reporter);
  // Shows nothing and keeps every message, for a record converted on a
  // worker thread whose messages the run shows later in record order.
  RunReport();
  RunReport(const RunReport&) = delete;
  RunReport& operator=(const RunReport&) = delete;

  // The file a message that names none is about (the run's pulse file), so
  // that every outcome carries a path.
  void SetSubject(std::string path) { subject_ = std::move(path); }

  // Formats the message of code with its values and shows it. Every
  // message but the success message reports a failure of the run; the file
  // layer's reason for the failure, if it gave one, goes with it.
  void ReportStatus(Failure code, ...);
  // Shows an outcome already formatted, counting it as ReportStatus does.
  void Report(const Outcome& outcome);
  // "Binary seek error NAME", or the write failure a seek of file met.
  void ReportSeekFailure(const io::File& file, const std::string& name);
  // "File name required": shown, not counted as a failure of a run.
  void RequireFileName();
  // The end of a run: the success message with a progress reset after a
  // run without failures, otherwise the run's first failure once more.
  void ReportCompletion();

  void SetProgress(int position);
  void StepProgress(int k = 1);
  void ResetProgress() { SetProgress(0); }
  // Bytes of the run's input done, passed on as they come.
  ConversionReporter* Reporter() const { return reporter_; }
  // Whether the front end asks the run to stop; null for a collecting report.
  RunStop* Stop() const { return stop_.get(); }
  // True when the run has been asked to stop; the run has then failed with
  // "conversion cancelled". Once a run stops, every later failure (a read
  // the stop cut short) is that one cancellation.
  bool CheckStop();
  // A file the run has put in place, once it has succeeded.
  void NoteWritten(const std::string& path) {
    if (reporter_) reporter_->FileWritten(path);
  }

  // What the text of an export cannot carry: shown through the reporter,
  // or kept by a collecting report.
  void Warn(ExportWarning warning) {
    if (reporter_) {
      reporter_->ShowWarning(warning);
    } else {
      warnings_.push_back(std::move(warning));
    }
  }
  // A diagnostic of the run's text: shown through the reporter, or kept
  // by a collecting report. It changes neither the status nor the outcome.
  void Diagnose(TextDiagnostic diagnostic);
  // Diagnostics reported so far, and the file of the first of them.
  size_t DiagnosticCount() const { return diagnosticCount_; }
  const std::string& FirstDiagnosedFile() const { return firstDiagnosed_; }
  // The diagnostics of a collecting report, in the order reported.
  std::vector<TextDiagnostic> TakeDiagnostics() { return std::move(diagnostics_); }

  bool Failed() const { return failed_; }
  // The run's first failure, otherwise the last status shown.
  Outcome Result() const;
  // The messages of a collecting report, in the order reported.
  std::vector<Outcome> TakeMessages() { return std::move(messages_); }
  // The warnings of a collecting report, in the order given.
  std::vector<ExportWarning> TakeWarnings() { return std::move(warnings_); }

 private:
  ConversionReporter* reporter_;  // null: collecting
  std::unique_ptr<RunStop> stop_;
  std::optional<io::ScopedLockWait> lockWait_;
  bool cancelled_ = false;
  std::string subject_;
  std::string status_;  // m_strStatus
  int progress_ = 0;    // m_nProgress
  bool failed_ = false;
  bool nameMissing_ = false;
  Outcome firstFailure_;
  std::vector<Outcome> messages_;
  std::vector<ExportWarning> warnings_;
  size_t diagnosticCount_ = 0;
  std::string firstDiagnosed_;
  std::vector<TextDiagnostic> diagnostics_;
};

}  // namespace orvane
