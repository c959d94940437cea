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
  // "%lX": hexadecimal with an optional sign and 0x prefix, modulo 2^32.
  bool Hex(uint32_t* value);
  // "%f" and "%e" into single precision: the float nearest to the decimal
  // text, as strtof gives it; "inf", "infinity" and "nan" in any case.
  bool Real(float* value);

  const char* Position() const { return p_; }

 private:
  const char* p_;
};

// Reduces a scanned integer to the bits a 32-bit or 16-bit field keeps.
inline uint32_t Low32(int64_t v) { return static_cast<uint32_t>(static_cast<uint64_t>(v)); }
inline uint16_t Low16(int64_t v) { return static_cast<uint16_t>(static_cast<uint64_t>(v)); }

}  // namespace orvane::text
