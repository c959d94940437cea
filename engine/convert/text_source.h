// One text file being read line by line during an import, through the
// text line reader, with the failures of its reads reported.
#pragma once

#include <memory>
#include <string>

#include "convert/run_report.h"
#include "io/file_io.h"
#include "text/text_line_reader.h"

namespace orvane {

struct TextSource {
  std::unique_ptr<io::File> file;
  std::string name;
  unsigned lineNumber = 0;  // of the line last delivered, from 1
  // Eight zero bytes follow the line's NUL, for readers that take eight
  // bytes at a time.
  char line[kTextLineChars + 1 + 8] = {};
};

// Delivers the next line of a text file as exactly 120 characters and a
// NUL (see ReadLineOfText), reporting "Read error on NAME" when there is
// no file and "File read error on NAME" when the read failed; both give
// ReadError.
LineStatus ReadTextLine(const std::string& fileName, io::File* file, char* line, RunReport& report);

// The next line of source; false when there is none, reported with its
// line number at the end of the file.
bool NextLine(TextSource& source, RunReport& report);

}  // namespace orvane
