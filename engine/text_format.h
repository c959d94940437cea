// Exact, locale-independent renderings of the printf conversions that pulse
// file text uses. Every function appends to a character buffer and returns
// the new end. "%ld", "%lu" and "%lX" are 32-bit conversions, as on the
// platform the text format was defined on.
#pragma once

#include <cstdint>
#include <string>

namespace orvane::text {

// Room that any single conversion below may need.
constexpr int kMaxFieldChars = 64;

char* AppendLong(char* out, int32_t value);            // "%ld"
char* AppendULong(char* out, uint32_t value);          // "%lu"
char* AppendHex(char* out, uint32_t value);            // "%lX"
char* AppendRightAligned(char* out, int64_t value, int width);  // "%6d", "%2d"
char* AppendFixed6(char* out, float value);            // "%f" of the widened float
char* AppendExp15_7(char* out, float value);           // "%15.7e", three-digit exponent
char* AppendLiteral(char* out, const char* text);

// "%s" of a fixed-size text field: up to the first NUL, never beyond size.
// Line feeds and carriage returns become blanks so that the line keeps its place.
char* AppendTextField(char* out, const uint8_t* field, size_t size);

// The same conversions as strings, for messages and tests.
std::string FormatFixed6(float value);
std::string FormatExp15_7(float value);

}  // namespace orvane::text
