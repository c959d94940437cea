#include "text/text_format.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "text/decimal_powers.h"
#include "text/exact_reals.h"
#include "text/swar_digits.h"
#include "text/text_scan.h"

namespace orvane::text {

namespace {

// Two decimal digits per table entry, for integer rendering.
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes the decimal digits of v ending just before end; returns the first digit.
char* DigitsBackward(char* end, uint64_t v) {
  while (v >= 100) {
    unsigned pair = static_cast<unsigned>(v % 100) * 2;
    v /= 100;
    *--end = kDigitPairs[pair + 1];
    *--end = kDigitPairs[pair];
  }
  if (v >= 10) {
    unsigned pair = static_cast<unsigned>(v) * 2;
    *--end = kDigitPairs[pair + 1];
    *--end = kDigitPairs[pair];
  } else {
    *--end = static_cast<char>('0' + v);
  }
  return end;
}

}  // namespace

char* AppendLong(char* out, int32_t value) { return AppendRightAligned(out, value, 0); }

char* AppendULong(char* out, uint32_t value) { return AppendRightAligned(out, value, 0); }

char* AppendHex(char* out, uint32_t value) {
  auto result = std::to_chars(out, out + 8, value, 16);
  for (char* p = out; p < result.ptr; ++p)
    if (*p >= 'a' && *p <= 'f') *p = static_cast<char>(*p - 'a' + 'A');
  return result.ptr;
}

char* AppendRightAligned(char* out, int64_t value, int width) {
  char tmp[24];
  char* end = tmp + sizeof tmp;
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  char* begin = DigitsBackward(end, magnitude);
  if (value < 0) *--begin = '-';
  int n = static_cast<int>(end - begin);
  for (int pad = width - n; pad > 0; --pad) *out++ = ' ';
  std::memcpy(out, begin, static_cast<size_t>(n));
  return out + n;
}

char* AppendWord6(char* out, int16_t value) {
  // The digits of the magnitude fill the five places on the right; places
  // before the first digit become blanks, and a minus sign takes the place
  // just before it. Built in one word, without branches on the digits.
  const bool negative = value < 0;
  const unsigned m = negative ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
  const int digitCount = 1 + (m >= 10) + (m >= 100) + (m >= 1000) + (m >= 10000);
  uint64_t word = 0x2020000000000020ull;  // bytes 0, 6 and 7 are blanks
  word |= static_cast<uint64_t>('0' + m / 10000) << 8;
  word |= static_cast<uint64_t>('0' + m / 1000 % 10) << 16;
  word |= static_cast<uint64_t>('0' + m / 100 % 10) << 24;
  word |= static_cast<uint64_t>('0' + m / 10 % 10) << 32;
  word |= static_cast<uint64_t>('0' + m % 10) << 40;
  const uint64_t blanks = (uint64_t{1} << (8 * (6 - digitCount))) - 1;
  word = (word & ~blanks) | (0x2020202020202020ull & blanks);
  const uint64_t sign = (uint64_t{0xFF} << (8 * (5 - digitCount))) & (0 - static_cast<uint64_t>(negative));
  word = (word & ~sign) | (0x2D2D2D2D2D2D2D2Dull & sign);
  std::memcpy(out, &word, sizeof word);  // little-endian: byte 0 first
  return out + 6;
}

char* AppendFixed6(char* out, float value) {
  double widened = value;
  if (std::isnan(widened)) return AppendText(out, std::signbit(widened) ? "-nan" : "nan");
  auto result = std::to_chars(out, out + kMaxFieldChars, widened, std::chars_format::fixed, 6);
  return result.ptr;
}

namespace {

// The eight significant digits of d > 0 (a widened float) rounded to
// nearest, and its decimal exponent. Scaling d into [1e7, 1e8) costs two
// roundings of a double, so the scaled value is off by less than 3e-8: that
// decides the rounding everywhere but within 1e-7 of a tie, where the
// answer is false and the caller rounds exactly.
// *error is the distance of the digits from d in units of their last
// place, negative when they lie above d, and *unit the scale d was
// multiplied by (10^(7 - exponent)).
inline bool EightDigits(double d, uint32_t* digits, int* exponent, double* error = nullptr,
                        double* unit = nullptr) {
  uint64_t bits;
  std::memcpy(&bits, &d, sizeof bits);
  const int binaryExponent = static_cast<int>((bits >> 52) & 0x7FF) - 1023;
  // floor(binaryExponent * log10(2)): the decimal exponent, or one less.
  // Which of the two it is varies from float to float: no branch on it.
  int k = (binaryExponent * 78913) >> 18;
  k += static_cast<int>(d >= PowerOfTen(k + 1));
  const double scaled = d * PowerOfTen(7 - k);
  if (!(scaled >= 1e7 && scaled < 1e8)) return false;
  uint32_t n = static_cast<uint32_t>(scaled);
  const double fraction = scaled - n;
  if (fraction > 0.5 - 1e-7 && fraction < 0.5 + 1e-7) return false;
  n += fraction > 0.5 ? 1 : 0;
  if (error != nullptr) {
    *error = fraction > 0.5 ? fraction - 1 : fraction;
    *unit = PowerOfTen(7 - k);
  }
  if (n == 100000000) {
    n = 10000000;
    ++k;
  }
  *digits = n;
  *exponent = k;
  return true;
}

// "%15.7e" through the exactly rounding library conversion, for the values
// the fast path leaves alone.
char* AppendExp15_7Exact(char* out, float value) {
  double widened = value;
  char tmp[kMaxFieldChars];
  char* end;
  if (std::isnan(widened)) {
    end = AppendText(tmp, std::signbit(widened) ? "-nan" : "nan");
  } else if (std::isinf(widened)) {
    end = AppendText(tmp, widened < 0 ? "-inf" : "inf");
  } else {
    end = std::to_chars(tmp, tmp + sizeof tmp, widened, std::chars_format::scientific, 7).ptr;
    // The exponent always carries its sign and three digits.
    char* e = static_cast<char*>(std::memchr(tmp, 'e', static_cast<size_t>(end - tmp)));
    size_t expDigits = static_cast<size_t>(end - (e + 2));
    if (expDigits < 3) {
      size_t shift = 3 - expDigits;
      std::memmove(e + 2 + shift, e + 2, expDigits);
      std::memset(e + 2, '0', shift);
      end += shift;
    }
  }
  int n = static_cast<int>(end - tmp);
  for (int pad = 15 - n; pad > 0; --pad) *out++ = ' ';
  std::memcpy(out, tmp, static_cast<size_t>(n));
  return out + n;
}

// " d.ddddddde+xxx": always 15 characters for a finite float, written as
// two words.
inline char* AppendEightDigitField(char* out, uint32_t bits, uint32_t digits, int exponent) {
  const uint64_t chars = EightDigitChars(digits);
  const uint64_t sign = (bits >> 31) ? '-' : ' ';
  const uint64_t head = sign | ((chars & 0xFF) << 8) | (uint64_t{'.'} << 16) | ((chars >> 8) << 24);
  const unsigned e = static_cast<unsigned>(exponent < 0 ? -exponent : exponent);  // at most 45
  const uint64_t tail = (chars >> 48) | (uint64_t{'e'} << 16) | (uint64_t(exponent < 0 ? '-' : '+') << 24) |
                        (uint64_t{'0'} << 32) | (uint64_t('0' + e / 10) << 40) |
                        (uint64_t('0' + e % 10) << 48) | (uint64_t{' '} << 56);
  std::memcpy(out, &head, sizeof head);
  std::memcpy(out + 8, &tail, sizeof tail);
  return out + 15;
}

// Half the gap between the floats of each binary exponent (the biased
// exponent of a float indexes it; 0 holds the subnormals): a decimal text
// closer than that to a float reads back to it. At a power of two the gap
// below is half as wide; the caller leaves those to the scanner.
struct HalfGaps {
  double gap[256];
  constexpr HalfGaps() : gap() {
    for (int biased = 0; biased < 256; ++biased) {
      const int exponent = (biased == 0 ? 1 : biased) - 151;  // of half a unit in the last place
      double g = 1;
      for (int k = 0; k < exponent; ++k) g *= 2;
      for (int k = 0; k > exponent; --k) g /= 2;
      gap[biased] = g;
    }
  }
};
constexpr HalfGaps kHalfGaps;

}  // namespace

char* AppendExp15_7(char* out, float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  if ((bits & 0x7F800000) == 0x7F800000) return AppendExp15_7Exact(out, value);  // NaN or infinity
  const double magnitude = std::fabs(static_cast<double>(value));
  uint32_t digits = 0;
  int exponent = 0;
  if (magnitude != 0 && !EightDigits(magnitude, &digits, &exponent)) return AppendExp15_7Exact(out, value);
  return AppendEightDigitField(out, bits, digits, exponent);
}

namespace {

// Whether "%15.7e" of value reads back to it: the slow answer, through the
// text and the scanner.
bool EightDigitTextKeeps(float value) {
  char buffer[kMaxFieldChars];
  *AppendExp15_7(buffer, value) = 0;
  float back;
  Scanner in(buffer);
  return in.Real(&back) && std::memcmp(&back, &value, sizeof back) == 0;
}

}  // namespace

CountedText AppendExp15_7Counted(char* out, float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  const double magnitude = std::fabs(static_cast<double>(value));
  uint32_t digits = 0;
  int exponent = 0;
  double error = 0;
  double unit = 0;
  if ((bits & 0x7F800000) == 0x7F800000 || magnitude == 0 ||
      !EightDigits(magnitude, &digits, &exponent, &error, &unit)) {
    uint64_t losses = 0;
    if ((bits & 0x7FFFFFFF) > 0x7F800000) {
      losses = (bits & 0x7FFFFF) != kPlainNanMantissa ? kNanLoss : 0;
    } else if (magnitude != 0 && (bits & 0x7F800000) != 0x7F800000) {
      losses = EightDigitTextKeeps(value) ? 0 : kRoundedLoss;
    }
    return {AppendExp15_7(out, value), losses};
  }
  // The digits read back to value when they lie closer to it than half the
  // gap between the floats around it. The error is known within 3e-8 of
  // the last digit: beyond 1e-6 of the bound the comparison decides, without
  // a branch; only nearer, or at a power of two, is the text read back.
  const double bound = kHalfGaps.gap[bits >> 23 & 0xFF] * unit;
  const double distance = std::fabs(error);
  uint64_t losses = distance > bound + 1e-6 ? kRoundedLoss : 0;
  if (std::fabs(distance - bound) <= 1e-6 || (bits & 0x7FFFFF) == 0) [[unlikely]] {
    // The digits are those of the magnitude.
    float back = 0;
    uint32_t backBits = 0;
    const bool near = NearestFloat(digits, exponent - 7, &back);
    std::memcpy(&backBits, &back, sizeof backBits);
    const bool kept = near ? backBits == (bits & 0x7FFFFFFF) : EightDigitTextKeeps(value);
    losses = kept ? 0 : kRoundedLoss;
  }
  return {AppendEightDigitField(out, bits, digits, exponent), losses};
}

char* AppendText(char* out, std::string_view textValue) {
  std::memcpy(out, textValue.data(), textValue.size());
  return out + textValue.size();
}

char* AppendTextField(char* out, const uint8_t* field, size_t size) {
  for (size_t i = 0; i < size && field[i] != 0; ++i) {
    char c = static_cast<char>(field[i]);
    *out++ = (c == '\n' || c == '\r') ? ' ' : c;
  }
  return out;
}

std::string FormatFixed6(float value) {
  char buf[kMaxFieldChars];
  return std::string(buf, AppendFixed6(buf, value));
}

std::string FormatExp15_7(float value) {
  char buf[kMaxFieldChars];
  return std::string(buf, AppendExp15_7(buf, value));
}

}  // namespace orvane::text
