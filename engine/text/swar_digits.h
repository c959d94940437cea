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

}  // namespace orvane::text
