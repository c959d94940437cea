#include "convert/run_report.h"

#include <cstdarg>
#include <cstring>

#include "io/file_io.h"

namespace orvane {

std::string FormatMessageV(Failure code, va_list args);

RunReport::RunReport(ConversionReporter& reporter)
    : reporter_(&reporter), stop_(std::make_unique<RunStop>(&reporter)) {
  lockWait_.emplace(*stop_);
}
RunReport::RunReport() : reporter_(nullptr) {
  io::ClearFailureReason();  // of an earlier run on this thread
}

void RunReport::ReportStatus(Failure code, ...) {
  va_list args;
  va_start(args, code);
  va_list copy;
  va_copy(copy, args);
  Outcome outcome{code, FormatMessageV(code, args)};
  va_end(args);
  // The file the message names is its first value; other messages are
  // about the run's subject.
  if (MessageNamesFile(code)) outcome.path = va_arg(copy, const char*);
  va_end(copy);
  if (outcome.path.empty() && code != Failure::None) outcome.path = subject_;
  if (code != Failure::None) {
    io::FailureReason why = io::TakeFailureReason();
    outcome.reason = std::move(why.text);
    outcome.error = why.error;
  }
  Report(outcome);
}

bool RunReport::CheckStop() {
  if (stop_ == nullptr || !stop_->Requested()) return false;
  ReportStatus(Failure::Cancelled);
  return true;
}

void RunReport::Report(const Outcome& given) {
  const Outcome* shown = &given;
  Outcome cancelled;
  if (!given.ok() && stop_ != nullptr && stop_->Requested()) {
    if (cancelled_) return;
    cancelled_ = true;
    cancelled = Outcome{Failure::Cancelled, MessageFormat(Failure::Cancelled)};
    cancelled.path = subject_;
    shown = &cancelled;
  }
  const Outcome& outcome = *shown;
  if (!outcome.ok() && !failed_) {
    failed_ = true;
    firstFailure_ = outcome;
  }
  status_ = outcome.message;
  if (reporter_) {
    reporter_->ShowOutcome(outcome);
  } else {
    messages_.push_back(outcome);
  }
}

void RunReport::Diagnose(TextDiagnostic diagnostic) {
  if (diagnosticCount_++ == 0) firstDiagnosed_ = diagnostic.file;
  if (reporter_) {
    reporter_->ShowDiagnostic(diagnostic);
  } else {
    diagnostics_.push_back(std::move(diagnostic));
  }
}

void RunReport::ReportSeekFailure(const io::File& file, const std::string& name) {
  // A seek passes the writes before it on to the disk: a full disk shows
  // up there, and is a write failure.
  ReportStatus(file.WriteFailed() ? Failure::BinaryWriteErrorOn : Failure::BinarySeekErrorOn, name.c_str());
}

void RunReport::RequireFileName() {
  nameMissing_ = true;
  status_ = MessageFormat(Failure::FileNameRequired);
  if (reporter_) reporter_->ShowStatus(status_);
}

void RunReport::ReportCompletion() {
  if (failed_) {
    status_ = firstFailure_.message;
    if (reporter_) reporter_->ShowStatus(status_);
    return;
  }
  ResetProgress();
  ReportStatus(Failure::None);
}

void RunReport::SetProgress(int position) {
  progress_ = position;
  if (reporter_) reporter_->SetProgressPosition(progress_);
}

void RunReport::StepProgress(int k) { SetProgress(progress_ + k); }

Outcome RunReport::Result() const {
  if (failed_) return firstFailure_;
  if (nameMissing_) return Outcome{Failure::FileNameRequired, MessageFormat(Failure::FileNameRequired)};
  return Outcome{Failure::None, status_};
}

}  // namespace orvane
