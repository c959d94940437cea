// Reals written so that they read back to the same 32 bits: the renderings
// of the exact layout (to-ascii --exact), and the tests that tell whether
// the classic renderings ("%f" and "%15.7e") lose a value.
#pragma once

#include <cstdint>
#include <string>

namespace orvane::text {

// The plain NaN every reader gives for "nan": the quiet NaN without payload.
constexpr uint32_t kPlainNanMantissa = 0x400000;

// True for a NaN whose bits are not those of the plain NaN (its sign aside):
// "nan" loses them.
bool HasNanPayload(float value);

// A NaN with a payload as "nan(0xM)" (or "-nan(0xM)"), M the 23 mantissa
// bits in upper-case hexadecimal; the plain NaN as "nan" or "-nan". The
// scanner reads both back to the same bits.
char* AppendNan(char* out, float value);

// A header real of the exact layout: "%f" (six decimals) where that reads
// back to the same bits, otherwise the shortest decimal text that does (at
// most nine significant digits, in fixed or exponent form, both of which
// "%f" reads), or the NaN spelling above.
char* AppendExactReal(char* out, float value);

// An R sample of the exact layout: "%16.8e", nine significant digits with a
// three-digit exponent (" 1.50000000e+000"), right-aligned in 16 columns;
// NaNs with a payload in the spelling above. May touch 16 bytes.
char* AppendExp16_8(char* out, float value);

// True when "%f" of value reads back to the same bits.
bool FixedSixKeeps(float value);

// The exact renderings as strings, for messages and tests.
std::string FormatExactReal(float value);
std::string FormatExp16_8(float value);

}  // namespace orvane::text
