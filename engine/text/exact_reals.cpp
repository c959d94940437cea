#include "text/exact_reals.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "text/decimal_powers.h"
#include "text/swar_digits.h"
#include "text/text_format.h"
#include "text/text_scan.h"

namespace orvane::text {

namespace {

uint32_t BitsOf(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// The nine significant digits of d > 0 (a widened float) rounded to
// nearest, and its decimal exponent; false within 1e-6 of a tie, where
// the two roundings of the scaling could decide wrongly and the caller
// rounds exactly, and for the smallest subnormals, beyond the table of
// powers.
inline bool NineDigits(double d, uint32_t* digits, int* exponent) {
  uint64_t bits;
  std::memcpy(&bits, &d, sizeof bits);
  const int binaryExponent = static_cast<int>((bits >> 52) & 0x7FF) - 1023;
  int k = (binaryExponent * 78913) >> 18;
  if (k < kMinPowerOfTen + 1 || 8 - k > kMaxPowerOfTen) return false;
  k += static_cast<int>(d >= PowerOfTen(k + 1));
  if (8 - k > kMaxPowerOfTen) return false;
  const double scaled = d * PowerOfTen(8 - k);
  if (!(scaled >= 1e8 && scaled < 1e9)) return false;
  uint32_t n = static_cast<uint32_t>(scaled);
  const double fraction = scaled - n;
  if (fraction > 0.5 - 1e-6 && fraction < 0.5 + 1e-6) return false;
  n += fraction > 0.5 ? 1 : 0;
  if (n == 1000000000) {
    n = 100000000;
    ++k;
  }
  *digits = n;
  *exponent = k;
  return true;
}

// Right-aligns [text, end) in width columns.
char* RightAligned(char* out, const char* text, const char* end, int width) {
  const int n = static_cast<int>(end - text);
  for (int pad = width - n; pad > 0; --pad) *out++ = ' ';
  std::memcpy(out, text, static_cast<size_t>(n));
  return out + n;
}

// "%16.8e" through the exactly rounding library conversion.
char* AppendExp16_8Slow(char* out, float value) {
  char tmp[kMaxFieldChars];
  char* end;
  const double widened = value;
  if (std::isnan(widened)) {
    end = AppendNan(tmp, value);
  } else if (std::isinf(widened)) {
    end = AppendText(tmp, widened < 0 ? "-inf" : "inf");
  } else {
    end = std::to_chars(tmp, tmp + sizeof tmp, widened, std::chars_format::scientific, 8).ptr;
    // The exponent always carries its sign and three digits.
    char* e = static_cast<char*>(std::memchr(tmp, 'e', static_cast<size_t>(end - tmp)));
    const size_t expDigits = static_cast<size_t>(end - (e + 2));
    if (expDigits < 3) {
      const size_t shift = 3 - expDigits;
      std::memmove(e + 2 + shift, e + 2, expDigits);
      std::memset(e + 2, '0', shift);
      end += shift;
    }
  }
  return RightAligned(out, tmp, end, 16);
}

}  // namespace

bool HasNanPayload(float value) {
  const uint32_t bits = BitsOf(value);
  return (bits & 0x7FFFFFFF) > 0x7F800000 && (bits & 0x7FFFFF) != kPlainNanMantissa;
}

char* AppendNan(char* out, float value) {
  const uint32_t bits = BitsOf(value);
  if (bits >> 31) *out++ = '-';
  out = AppendText(out, "nan");
  if ((bits & 0x7FFFFF) == kPlainNanMantissa) return out;
  out = AppendText(out, "(0x");
  out = AppendHex(out, bits & 0x7FFFFF);
  *out++ = ')';
  return out;
}

bool FixedSixKeeps(float value) {
  if (std::isnan(value)) return !HasNanPayload(value);
  char buffer[kMaxFieldChars];
  *AppendFixed6(buffer, value) = 0;
  float back;
  Scanner in(buffer);
  return in.Real(&back) && BitsOf(back) == BitsOf(value);
}

char* AppendExactReal(char* out, float value) {
  if (FixedSixKeeps(value)) return AppendFixed6(out, value);
  if (std::isnan(value)) return AppendNan(out, value);
  // The shortest text that reads back to the float itself.
  return std::to_chars(out, out + kMaxFieldChars, value).ptr;
}

char* AppendExp16_8(char* out, float value) {
  const uint32_t bits = BitsOf(value);
  if ((bits & 0x7F800000) == 0x7F800000) return AppendExp16_8Slow(out, value);  // NaN or infinity
  const double magnitude = std::fabs(static_cast<double>(value));
  uint32_t digits = 0;
  int exponent = 0;
  if (magnitude != 0 && !NineDigits(magnitude, &digits, &exponent)) return AppendExp16_8Slow(out, value);
  // " d.dddddddde+xxx": 16 characters, two words.
  const uint32_t first = digits / 100000000;
  const uint64_t chars = EightDigitChars(digits % 100000000);
  const uint64_t sign = (bits >> 31) ? '-' : ' ';
  const uint64_t head =
      sign | (uint64_t('0' + first) << 8) | (uint64_t{'.'} << 16) | ((chars & 0xFFFFFFFFFFull) << 24);
  const unsigned e = static_cast<unsigned>(exponent < 0 ? -exponent : exponent);  // at most 45
  const uint64_t tail = (chars >> 40) | (uint64_t{'e'} << 24) | (uint64_t(exponent < 0 ? '-' : '+') << 32) |
                        (uint64_t{'0'} << 40) | (uint64_t('0' + e / 10) << 48) |
                        (uint64_t('0' + e % 10) << 56);
  std::memcpy(out, &head, sizeof head);
  std::memcpy(out + 8, &tail, sizeof tail);
  return out + 16;
}

std::string FormatExactReal(float value) {
  char buf[kMaxFieldChars];
  return std::string(buf, AppendExactReal(buf, value));
}

std::string FormatExp16_8(float value) {
  char buf[kMaxFieldChars];
  return std::string(buf, AppendExp16_8(buf, value));
}

}  // namespace orvane::text
