// Decimal digits read eight bytes at a time (SIMD within a register): the
// value lines of a long record are millions of numbers, and a branch per
// character would dominate their reading.
#pragma once

#include <cstdint>

namespace orvane::text {

// Eight digit characters, the first in the lowest byte, as their number.
// Bytes that are zero count as leading zeros.
inline uint32_t EightDigitsValue(uint64_t w) {
  w &= 0x0F0F0F0F0F0F0F0Full;
  w = (w * 2561) >> 8;
  w = ((w & 0x00FF00FF00FF00FFull) * 6553601) >> 16;
  return static_cast<uint32_t>(((w & 0x0000FFFF0000FFFFull) * 42949672960001ull) >> 32);
}

// Bytes of w that are not decimal digits, as a nonzero byte each: a byte is
// a digit when its high nibble is 3 before and after adding 6.
inline uint64_t NonDigits(uint64_t w) {
  constexpr uint64_t kHigh = 0xF0F0F0F0F0F0F0F0ull;
  constexpr uint64_t kThrees = 0x3030303030303030ull;
  return ((w & kHigh) ^ kThrees) | (((w + 0x0606060606060606ull) & kHigh) ^ kThrees);
}

// The eight decimal digits of n < 10^8 as characters, the first in the
// lowest byte: both halves of four digits at once, in 32-bit and then
// 16-bit lanes.
inline uint64_t EightDigitChars(uint32_t n) {
  uint64_t v = (n / 10000) | (static_cast<uint64_t>(n % 10000) << 32);
  uint64_t q = ((v * 10486) >> 20) & 0x0000007F0000007Full;  // / 100 in each lane
  v = q | ((v - q * 100) << 16);
  q = ((v * 103) >> 10) & 0x000F000F000F000Full;  // / 10 in each lane
  v = q | ((v - q * 10) << 8);
  return v + 0x3030303030303030ull;
}

}  // namespace orvane::text
