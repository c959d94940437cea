// The fixed-size headers of a pulse file described as data: every field with
// its offset, its label in the labelled text layout and the conversions that
// write and read it. The file header and the three record headers are all
// turned into text lines, and read back, by the same two routines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace orvane {

enum class FieldFormat : uint8_t {
  Hex32,   // "%lX"
  Text80,  // "%s", read back by column
  Int32,   // "%ld"
  UInt32,  // "%lu"
  Word16,  // written "%d" of the unsigned 16 bits, read "%hd" keeping the low 16 bits
  Real32,  // "%f"
};

struct HeaderField {
  const char* label;  // four characters; RS lines carry "RS" and their index
  uint16_t offset;
  FieldFormat labelledWrite;
  FieldFormat bareWrite;
  FieldFormat read;
  int8_t rsIndex;  // -1 for a field with a plain label
};

struct HeaderLayout {
  const char* name;
  size_t size;
  std::span<const HeaderField> fields;
};

extern const HeaderLayout kPulseFileHeaderLayout;  // 23 lines
extern const HeaderLayout kTRecordHeaderLayout;    // 15 lines
extern const HeaderLayout kRRecordHeaderLayout;    // 19 lines
extern const HeaderLayout kIRecordHeaderLayout;    // 12 lines

// Room for any one header line, line end included.
constexpr size_t kMaxHeaderLineChars = 128;

// Appends the text line of one field (with its "\n") and returns the new end.
char* AppendHeaderLine(char* out, const HeaderField& field, const uint8_t* header, bool labelled);

// Applies one delivered line (120 characters and a NUL) to its field.
// False when the line does not deliver the field's value; text fields
// always match.
bool ReadHeaderLine(const char* line, const HeaderField& field, uint8_t* header, bool labelled);

}  // namespace orvane
