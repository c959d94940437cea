#include "run_log.h"

#include <algorithm>

#include "orvane/messages.h"
#include "printable.h"

namespace orvane::cli {

RunLog::RunLog(bool trace, Console& console, std::string name)
    : tracing_(trace), console_(console), name_(std::move(name)) {}

void RunLog::ShowStatus(const std::string& text) {
  statuses_.push_back(text);
  if (tracing_) trace_ += "status: " + Printable(text) + "\n";
}

void RunLog::ShowOutcome(const Outcome& outcome) {
  if (!outcome.reason.empty()) reasons_.emplace_back(outcome.message, outcome.reason);
  ShowStatus(outcome.message);
}

void RunLog::ShowWaiting(const std::string& path) {
  console_.Notice("orvane-cli: " + Printable(name_) + ": waiting for another program to let go of " +
                  Printable(path) + " (Ctrl-C gives up)\n");
}

void RunLog::SetProgressPosition(int position) {
  if (tracing_) trace_ += "progress: " + std::to_string(position) + "\n";
  console_.Progress(name_, position);
}

void RunLog::ReportBytes(uint64_t done, uint64_t total) { console_.Bytes(name_, done, total); }

void RunLog::ShowDiagnostic(const TextDiagnostic& diagnostic) { diagnostics_.push_back(diagnostic); }

std::vector<std::string> RunLog::Failures() const {
  std::vector<std::string> failures;
  for (const auto& status : statuses_) {
    // A run that met a failure repeats its first message when it ends.
    if (status == MessageFormat(Failure::None)) continue;
    if (std::find(failures.begin(), failures.end(), status) == failures.end()) failures.push_back(status);
  }
  for (std::string& failure : failures) {
    auto reason =
        std::find_if(reasons_.begin(), reasons_.end(), [&](const auto& r) { return r.first == failure; });
    if (reason != reasons_.end()) failure += ": " + reason->second;
  }
  return failures;
}

std::string MessageLines(const std::string& file, const std::vector<std::string>& messages) {
  std::string text;
  for (const auto& message : messages)
    text += "orvane-cli: " + Printable(file) + ": " + Printable(message) + "\n";
  return text;
}

std::string WarningLines(const std::string& file, const std::vector<std::string>& warnings) {
  std::string text;
  for (const auto& warning : warnings)
    text += "orvane-cli: warning: " + Printable(file) + ": " + Printable(warning) + "\n";
  return text;
}

std::string WarningLines(const std::vector<std::string>& warnings) {
  std::string text;
  for (const auto& warning : warnings) text += "orvane-cli: warning: " + Printable(warning) + "\n";
  return text;
}

std::string DiagnosticLines(const std::vector<TextDiagnostic>& diagnostics) {
  std::string text;
  // The diagnostics of one file come together, in the order of its lines.
  for (size_t i = 0; i < diagnostics.size();) {
    const std::string& file = diagnostics[i].file;
    size_t shown = 0;
    size_t end = i;
    for (; end < diagnostics.size() && diagnostics[end].file == file; ++end) {
      if (shown++ < kDiagnosticsPerFile)
        text += "orvane-cli: warning: " + Printable(diagnostics[end].Message()) + "\n";
    }
    if (shown > kDiagnosticsPerFile)
      text += "orvane-cli: warning: " + Printable(file) + ": ... and " +
              std::to_string(shown - kDiagnosticsPerFile) + " more\n";
    i = end;
  }
  return text;
}

}  // namespace orvane::cli
