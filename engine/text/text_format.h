// Exact, locale-independent renderings of the printf conversions that pulse
// file text uses. Every function appends to a character buffer and returns
// the new end. "%ld", "%lu" and "%lX" are 32-bit conversions, as on the
// platform the text format was defined on.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace orvane::text {

// Room that any single conversion below may need.
constexpr int kMaxFieldChars = 64;

char* AppendLong(char* out, int32_t value);                     // "%ld"
char* AppendULong(char* out, uint32_t value);                   // "%lu"
char* AppendHex(char* out, uint32_t value);                     // "%lX"
char* AppendRightAligned(char* out, int64_t value, int width);  // "%6d", "%2d"
char* AppendWord6(char* out, int16_t value);                    // "%6d" of a 16-bit sample; may touch 8 bytes
char* AppendFixed6(char* out, float value);                     // "%f" of the widened float
char* AppendExp15_7(char* out, float value);  // "%15.7e", three-digit exponent; may touch 16 bytes
// The same text, and what it loses: kRoundedLoss when it does not read back
// to the same bits because eight digits are too few, kNanLoss for a NaN with
// a payload. Returned by value, so that a caller sums them in a register:
// a count in memory would be reloaded after every character stored.
struct CountedText {
  char* end;
  uint64_t losses;
};
constexpr uint64_t kRoundedLoss = 1;
constexpr uint64_t kNanLoss = uint64_t{1} << 32;
CountedText AppendExp15_7Counted(char* out, float value);
char* AppendText(char* out, std::string_view text);

// A string literal: its length is known when compiling.
template <size_t N>
inline char* AppendLiteral(char* out, const char (&literal)[N]) {
  std::memcpy(out, literal, N - 1);
  return out + N - 1;
}

// "%s" of a fixed-size text field: up to the first NUL, never beyond size.
// Line feeds and carriage returns become blanks so that the line keeps its place.
char* AppendTextField(char* out, const uint8_t* field, size_t size);

// The same conversions as strings, for messages and tests.
std::string FormatFixed6(float value);
std::string FormatExp15_7(float value);

}  // namespace orvane::text
