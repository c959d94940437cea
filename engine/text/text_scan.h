// Exact, locale-independent readers for the scanf conversions that pulse
// file text uses. A Scanner walks one delivered line; each directive
// consumes input the way the corresponding scanf directive does and answers
// whether it matched.
#pragma once

#include <cstdint>

namespace orvane::text {

class Scanner {
 public:
  explicit Scanner(const char* line) : p_(line) {}

  // A blank in a format: any run of white space, none included.
  void SkipSpace();
  // Literal characters of a format; a blank matches any run of white space.
  bool Match(const char* pattern);
  // "%d" family: optional sign and decimal digits, at most maxWidth
  // characters when maxWidth > 0. Magnitudes beyond 2^62 saturate.
  bool Integer(int64_t* value, int maxWidth = 0);
  // "%lX": hexadecimal with an optional sign and 0x prefix; more than 32
  // bits of digits give 0xFFFFFFFF, as strtoul does.
  bool Hex(uint32_t* value);
  // "%f" and "%e" into single precision: the float nearest to the decimal
  // text, as strtof gives it; "inf", "infinity" and "nan" in any case.
  bool Real(float* value);

  const char* Position() const { return p_; }

 private:
  bool LimitedInteger(int64_t* value, int maxWidth);
  const char* p_;
};

// The float nearest to mantissa * 10^scale (mantissa below 10^8), as strtof
// gives it for the same decimal text, when double precision settles it:
// false for results outside the normal floats and within a few units of
// the last place of a double of a tie between two floats.
bool NearestFloat(uint32_t mantissa, int scale, float* value);

// What a 32-bit C library keeps of a scanned integer: "%ld" clamps to the
// range of a 32-bit long; "%lu" takes a minus sign modulo 2^32 and clamps
// magnitudes beyond 32 bits; "%hd" keeps the low 16 bits of the long.
inline int32_t ClampToLong(int64_t v) {
  return static_cast<int32_t>(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v);
}
inline uint32_t ToULong(int64_t v) {
  uint64_t magnitude = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
  if (magnitude > UINT32_MAX) return UINT32_MAX;
  return v < 0 ? 0u - static_cast<uint32_t>(magnitude) : static_cast<uint32_t>(magnitude);
}
inline uint16_t Low16(int64_t v) { return static_cast<uint16_t>(static_cast<uint64_t>(v)); }

}  // namespace orvane::text
