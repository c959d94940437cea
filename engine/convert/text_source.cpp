#include "convert/text_source.h"

#include <cstring>

namespace orvane {

LineStatus ReadTextLine(const std::string& fileName, io::File* file, char* line, RunReport& report) {
  const LineStatus status = ReadLineOfText(file, line);
  if (status == LineStatus::NoFile) report.ReportStatus(Failure::ReadError, fileName.c_str());
  if (status == LineStatus::ReadError) report.ReportStatus(Failure::FileReadError, fileName.c_str());
  return status == LineStatus::NoFile ? LineStatus::ReadError : status;
}

bool NextLine(TextSource& source, RunReport& report) {
  ++source.lineNumber;
  switch (ReadTextLine(source.name, source.file.get(), source.line, report)) {
    case LineStatus::Delivered: return true;
    case LineStatus::ReadError:
    case LineStatus::NoFile: return false;
    case LineStatus::EndOfFile:
      source.ended = true;
      report.ReportStatus(Failure::AsciiReadErrorAtLine, source.name.c_str(), source.lineNumber);
      return false;
  }
  return false;
}

void Diagnose(const TextSource& source, unsigned line, unsigned column, TextIssue issue, std::string text,
              RunReport& report) {
  report.Diagnose(TextDiagnostic{source.name, line, column, "", issue, std::move(text)});
}

void Diagnose(const TextSource& source, std::string_view field, LineFindings& findings, RunReport& report) {
  for (LineFinding& finding : findings)
    report.Diagnose(TextDiagnostic{source.name, source.lineNumber, finding.column, std::string(field),
                                   finding.issue, std::move(finding.text)});
  findings.clear();
}

bool DiagnoseByteOrderMark(const TextSource& source, RunReport& report) {
  if (std::memcmp(source.line, "\xEF\xBB\xBF", 3) != 0) return false;
  Diagnose(source, source.lineNumber, 1, TextIssue::ByteOrderMark,
           "the file begins with a UTF-8 byte-order mark", report);
  return true;
}

LinesAfterEnd ReadLinesAfterEnd(TextSource& source, uint64_t size) {
  LinesAfterEnd after;
  if (!source.file) return after;
  for (unsigned number = source.lineNumber + 1; source.file->Tell() < size; ++number) {
    if (ReadLineOfText(source.file.get(), source.line) != LineStatus::Delivered) break;
    if (BlankLine(source.line)) continue;
    if (after.count++ == 0) after.first = number;
  }
  return after;
}

void DiagnoseLinesAfterEnd(const TextSource& source, LinesAfterEnd after, const std::string& what,
                           RunReport& report) {
  Diagnose(source, after.first, 1, TextIssue::LinesAfterEnd,
           std::to_string(after.count) + (after.count == 1 ? " line" : " lines") + " of text after " + what +
               "; ignored",
           report);
}

bool OpenHeaderText(const std::string& baseName, TextSource& pfh, RunReport& report) {
  pfh.name = baseName + ".pfh";
  pfh.file = io::File::Open(pfh.name, io::File::Mode::Read);
  if (!pfh.file) report.ReportStatus(Failure::CantOpenForReading, pfh.name.c_str());
  return pfh.file != nullptr;
}

}  // namespace orvane
