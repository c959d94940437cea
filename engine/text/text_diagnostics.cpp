#include "orvane/text_diagnostics.h"

namespace orvane {

const char* TextIssueName(TextIssue issue) {
  switch (issue) {
    case TextIssue::ByteOrderMark: return "byte-order-mark";
    case TextIssue::NotANumber: return "not-a-number";
    case TextIssue::TrailingText: return "trailing-text";
    case TextIssue::OutOfRange: return "out-of-range";
    case TextIssue::LabelMismatch: return "label-mismatch";
    case TextIssue::MissingBlank: return "missing-blank";
    case TextIssue::TextTooLong: return "text-too-long";
    case TextIssue::NegativeSize: return "negative-size";
    case TextIssue::SampleLabel: return "sample-label";
    case TextIssue::SampleCount: return "sample-count";
    case TextIssue::MissingSamples: return "missing-samples";
    case TextIssue::LinesAfterEnd: return "lines-after-end";
  }
  return "unknown";
}

std::string TextDiagnostic::Message() const {
  std::string message = file + ":" + std::to_string(line) + ":" + std::to_string(column) + ": ";
  if (!field.empty()) message += field + ": ";
  return message + text;
}

}  // namespace orvane
