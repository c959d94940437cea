// The text line reader every import reads through: the next line of a text
// file as exactly 120 characters and a NUL, cut at 120, everything from '#'
// on dropped, padded with blanks. A carriage return before the line feed
// belongs to the line end.
#pragma once

#include <cstddef>

#include "io/file_io.h"

namespace orvane {

constexpr size_t kTextLineChars = 120;

// What a line read met. NoFile: there was no open file to read from.
enum class LineStatus { Delivered, EndOfFile, ReadError, NoFile };

// Reads the next line into line (kTextLineChars + 1 characters). After a
// read error the rest of the line is blanks; at the end of the file the
// whole line is.
LineStatus ReadLineOfText(io::File* file, char* line);

}  // namespace orvane
