// What a delivered line says otherwise than its field takes it: the
// findings behind the import's diagnostics. Each reader of a line keeps its
// own rules; these routines read the line once more, by the same rules,
// only to say what the reader passed over, and never change what it stored.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "orvane/format.h"
#include "orvane/text_diagnostics.h"

namespace orvane {

struct LineFinding {
  unsigned column;  // from 1
  TextIssue issue;
  std::string text;
};
using LineFindings = std::vector<LineFinding>;

// A header line after ReadHeaderLine applied it to header: matched is
// what ReadHeaderLine answered. kind is the record whose header it is,
// null for the file header.
void FindInHeaderLine(const char* line, const FieldDescription& field, const uint8_t* header, bool labelled,
                      bool matched, const RecordDescription* kind, LineFindings& out);

// The reading of one value line, as the import expects it.
struct SampleLineRead {
  SampleType form;
  bool labelled;
  int needed;              // values the line must deliver
  int perLine;             // values a full line holds
  uint64_t expectedIndex;  // the label a labelled line should carry
  // A label also taken without a finding: the one that follows a line
  // whose label was out of place (kAnyLabel: none). A line removed or
  // added shifts every later label; one diagnostic says so.
  uint64_t alternateIndex;
  int64_t size;  // the record's SIZE, for the texts
  bool scanned;  // whether the value scanner took the line
};

// Findings of a value line read outside the canonical runs. Returns the
// label the line carries (the expected one when it carries none that
// reads).
uint64_t FindInSampleLine(const char* line, const SampleLineRead& read, LineFindings& out);

// True when a delivered line holds nothing but white space.
bool BlankLine(const char* line);

// "\"text\"": a found text quoted for a message.
std::string Quoted(const char* begin, const char* end);

}  // namespace orvane
