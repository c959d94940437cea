// What one run of the engine on one file shows, kept until the run's output
// is printed whole: its trace lines and its status messages.
#pragma once

#include <string>
#include <vector>

#include "console.h"
#include "orvane/reporter.h"

namespace orvane::cli {

// The outcome of one file's run, ready to print.
struct RunResult {
  std::string out;                    // standard output
  std::vector<std::string> messages;  // failure messages, for standard error
  bool ok = false;
  // Warnings for standard error ("T1: GAIN nan has no pulse power; shown as
  // 0"): the run went on as usual and its status stays as it is.
  std::vector<std::string> warnings;
  // What an export's text cannot carry, each naming its text file
  // ("data.R1: 566 of 100000 samples ..."), for standard error.
  std::vector<std::string> exportWarnings;
  // Diagnostics of an import's text ("data.T2:5:7: GAIN: ..."), for
  // standard error; they change neither the run nor its status.
  std::vector<TextDiagnostic> diagnostics;
};

class RunLog : public ConversionReporter {
 public:
  RunLog(bool trace, Console& console, std::string name);
  void ShowStatus(const std::string& text) override;
  // Keeps the system's reason of a failure beside its text.
  void ShowOutcome(const Outcome& outcome) override;
  // Says at once that the run waits for another program.
  void ShowWaiting(const std::string& path) override;
  void SetProgressPosition(int position) override;
  void ReportBytes(uint64_t done, uint64_t total) override;
  void ShowWarning(const ExportWarning& warning) override { exportWarnings_.push_back(warning.text); }
  void ShowDiagnostic(const TextDiagnostic& diagnostic) override;

  const std::string& Trace() const { return trace_; }
  // Every status but the success message, each once, in order, with the
  // system's reason where it gave one ("...: No space left on device").
  std::vector<std::string> Failures() const;
  const std::vector<std::string>& ExportWarnings() const { return exportWarnings_; }
  std::vector<TextDiagnostic> TakeDiagnostics() { return std::move(diagnostics_); }

 private:
  bool tracing_;
  Console& console_;
  std::string name_;
  std::string trace_;
  std::vector<std::string> statuses_;
  std::vector<std::string> exportWarnings_;
  std::vector<std::pair<std::string, std::string>> reasons_;  // failure text, reason
  std::vector<TextDiagnostic> diagnostics_;
};

// "orvane-cli: FILE: MESSAGE" lines.
std::string MessageLines(const std::string& file, const std::vector<std::string>& messages);
// "orvane-cli: warning: FILE: WARNING" lines.
std::string WarningLines(const std::string& file, const std::vector<std::string>& warnings);
// "orvane-cli: warning: WARNING" lines, for warnings that name their file.
std::string WarningLines(const std::vector<std::string>& warnings);
// "orvane-cli: warning: FILE:LINE:COLUMN: ..." lines, at most
// kDiagnosticsPerFile for each text file, then one line with the count of
// the others ("orvane-cli: warning: FILE: ... and 12 more").
constexpr size_t kDiagnosticsPerFile = 20;
std::string DiagnosticLines(const std::vector<TextDiagnostic>& diagnostics);

}  // namespace orvane::cli
