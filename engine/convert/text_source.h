// One text file being read line by line during an import, through the
// text line reader, with the failures of its reads reported and what its
// lines say otherwise than the import takes them diagnosed.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "convert/run_report.h"
#include "io/file_io.h"
#include "text/line_findings.h"
#include "text/text_line_reader.h"

namespace orvane {

struct TextSource {
  std::unique_ptr<io::File> file;
  std::string name;
  unsigned lineNumber = 0;  // of the line last delivered, from 1
  bool ended = false;       // a line was asked for past the end of the file
  // Eight zero bytes follow the line's NUL, for readers that take eight
  // bytes at a time.
  char line[kTextLineChars + 1 + 8] = {};
};

// Delivers the next line of a text file as exactly 120 characters and a
// NUL (see ReadLineOfText), reporting "Read error on NAME" when there is
// no file and "File read error on NAME" when the read failed; both give
// ReadError.
// Opens BASE.pfh into pfh; false with "Can't open BASE.pfh for reading"
// reported when it cannot be read.
bool OpenHeaderText(const std::string& baseName, TextSource& pfh, RunReport& report);

LineStatus ReadTextLine(const std::string& fileName, io::File* file, char* line, RunReport& report);

// The next line of source; false when there is none, reported with its
// line number at the end of the file (source.ended is then set).
bool NextLine(TextSource& source, RunReport& report);

// Reports the findings of the line last delivered as diagnostics of
// field (empty for value lines) and clears them.
void Diagnose(const TextSource& source, std::string_view field, LineFindings& findings, RunReport& report);
// One diagnostic at line and column of source.
void Diagnose(const TextSource& source, unsigned line, unsigned column, TextIssue issue, std::string text,
              RunReport& report);

// Line 1 of source, just delivered: a UTF-8 byte-order mark at its start
// is diagnosed. True when there is one.
bool DiagnoseByteOrderMark(const TextSource& source, RunReport& report);

// Reads source to its end (size, its length in bytes) after its last
// expected line: the lines after it that hold text, and the first of them.
// Reading stops at size, so that a clean file costs no read at its end.
struct LinesAfterEnd {
  unsigned count = 0;
  unsigned first = 0;  // its line number
};
LinesAfterEnd ReadLinesAfterEnd(TextSource& source, uint64_t size);
// Diagnoses lines after the end at first: "N lines of text after WHAT;
// ignored", what naming the lines expected ("the 23 header lines").
void DiagnoseLinesAfterEnd(const TextSource& source, LinesAfterEnd after, const std::string& what,
                           RunReport& report);

}  // namespace orvane
