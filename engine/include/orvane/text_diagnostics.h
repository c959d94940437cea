// What an import found in its text files that the text does not say
// exactly: a line whose text does not fully match its field, a file that
// holds more or fewer lines than its SIZE asks for, a byte-order mark. A
// diagnostic changes nothing of the run: the bytes written, the status texts
// and the outcome stay what they are; front ends show it as a warning.
#pragma once

#include <cstdint>
#include <string>

namespace orvane {

// The kinds of diagnostic. Their names (TextIssueName) are stable: scripts
// and tests may match them.
enum class TextIssue : uint8_t {
  ByteOrderMark,   // "byte-order-mark": the file begins with a UTF-8 byte-order mark
  NotANumber,      // "not-a-number": no number of the field's kind where one was expected
  TrailingText,    // "trailing-text": text after a field's value
  OutOfRange,      // "out-of-range": a value the field cannot hold; another value was stored
  LabelMismatch,   // "label-mismatch": a line's label is not its field's
  MissingBlank,    // "missing-blank": no blank after the label of a text field
  TextTooLong,     // "text-too-long": a text longer than its field keeps
  NegativeSize,    // "negative-size": a negative SIZE
  SampleLabel,     // "sample-label": a sample line's index is not the one its position asks for
  SampleCount,     // "sample-count": a sample line with fewer or more values than it should hold
  MissingSamples,  // "missing-samples": the file ends before SIZE samples
  LinesAfterEnd,   // "lines-after-end": text after the end mark of a record's samples
};

inline constexpr int kTextIssueCount = static_cast<int>(TextIssue::LinesAfterEnd) + 1;

// The stable lower-case name of an issue, such as "out-of-range".
const char* TextIssueName(TextIssue issue);

struct TextDiagnostic {
  std::string file;     // the text file as the run named it
  unsigned line = 0;    // from 1
  unsigned column = 0;  // from 1, in bytes
  std::string field;    // the field's label ("GAIN", "RS0"); empty for sample lines and whole files
  TextIssue issue = TextIssue::NotANumber;
  // What was found, what was expected, what was stored: "\"0,25\" is not a
  // real number; stored 0".
  std::string text;

  // "FILE:LINE:COLUMN: FIELD: TEXT", without FIELD when there is none.
  std::string Message() const;
};

}  // namespace orvane
