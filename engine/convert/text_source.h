// One text file being read line by line during an import.
#pragma once

#include <memory>
#include <string>

#include "io/file_io.h"
#include "convert/pulse_converter.h"

namespace orvane {

struct TextSource {
  std::unique_ptr<io::File> file;
  std::string name;
  unsigned lineNumber = 0;  // of the line last delivered, from 1
  // Eight zero bytes follow the line's NUL, for readers that take eight
  // bytes at a time.
  char line[kTextLineChars + 1 + 8] = {};
};

}  // namespace orvane
