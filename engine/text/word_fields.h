// The six-character "%6d" fields of all 65,536 sixteen-bit samples, made
// once: rendering a T or I sample becomes a copy, and a value line can be
// checked against the text the export would have written for its values.
#pragma once

#include <cstdint>
#include <cstring>

namespace orvane::text {

constexpr int kWordFieldChars = 6;

// Field of value v at WordFields()[(v + 32768) * 6]; the table is followed by
// two blanks, so that eight bytes may be loaded from any field.
const char* WordFields();

// The field of v and the two blanks after it, as one little-endian word.
inline uint64_t WordFieldWord(const char* fields, int16_t v) {
  uint64_t w;
  std::memcpy(&w, fields + (static_cast<int>(v) + 32768) * kWordFieldChars, sizeof w);
  return (w & 0x0000FFFFFFFFFFFFull) | 0x2020000000000000ull;
}

}  // namespace orvane::text
