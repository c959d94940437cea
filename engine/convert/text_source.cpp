#include "convert/text_source.h"

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
      report.ReportStatus(Failure::AsciiReadErrorAtLine, source.name.c_str(), source.lineNumber);
      return false;
  }
  return false;
}

}  // namespace orvane
