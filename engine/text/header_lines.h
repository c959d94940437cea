// The text lines of the fixed headers of a pulse file: every field of a
// header description written as its line, and read back from it. The file
// header and the three record headers all go through these two routines.
#pragma once

#include <cstddef>
#include <cstdint>

#include "orvane/format.h"

namespace orvane {

// Room for any one header line, line end included.
constexpr size_t kMaxHeaderLineChars = 128;

// Appends the text line of one field (with its "\n") and returns the new end.
// exact: reals with the digits that give back their bits (to-ascii --exact).
char* AppendHeaderLine(char* out, const FieldDescription& field, const uint8_t* header, bool labelled,
                       bool exact = false);

// Applies one delivered line (120 characters and a NUL) to its field.
// False when the line does not deliver the field's value; text fields
// always match.
bool ReadHeaderLine(const char* line, const FieldDescription& field, uint8_t* header, bool labelled);

}  // namespace orvane
