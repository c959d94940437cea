#include "text/text_scan.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <system_error>

#include "text/decimal_powers.h"

namespace orvane::text {

namespace {

inline bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
inline int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
inline char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithNoCase(const char* p, const char* word) {
  for (; *word; ++p, ++word)
    if (Lower(*p) != *word) return false;
  return true;
}

constexpr uint64_t kSaturation = uint64_t{1} << 62;

// Takes an optional sign at p; true for a minus.
bool TakeSign(const char*& p) {
  if (*p != '-' && *p != '+') return false;
  return *p++ == '-';
}

// The float nearest to a short decimal text [begin, end) (digits, an
// optional point, an optional exponent), when double precision settles it.
// With at most fifteen digits and a power of ten up to 10^22, both exact in
// a double, the double nearest to the text comes from one multiplication or
// division; the float nearest to that double is the float nearest to the
// text, unless the double lies exactly halfway between two floats.
bool ShortDecimalToFloat(const char* begin, const char* end, float* out) {
  static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                      1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  uint64_t mantissa = 0;
  int digitCount = 0;
  int scale = 0;
  const char* c = begin;
  for (; c < end && IsDigit(*c); ++c, ++digitCount)
    mantissa = mantissa * 10 + static_cast<unsigned>(*c - '0');
  if (c < end && *c == '.')
    for (++c; c < end && IsDigit(*c); ++c, ++digitCount, --scale)
      mantissa = mantissa * 10 + static_cast<unsigned>(*c - '0');
  if (digitCount > 15) return false;
  if (c < end) {  // the exponent, already known to be well formed
    ++c;
    const bool negative = TakeSign(c);
    int exponent = 0;
    for (; c < end && exponent < 1000; ++c) exponent = exponent * 10 + (*c - '0');
    if (c < end) return false;
    scale += negative ? -exponent : exponent;
  }
  if (scale > 22 || scale < -22) return false;
  const double wide = scale >= 0 ? static_cast<double>(mantissa) * kPow10[scale]
                                 : static_cast<double>(mantissa) / kPow10[-scale];
  // Within the normal floats, a double halfway between two floats has its
  // 29 low mantissa bits at exactly 1 followed by zeros.
  if (wide != 0 && !(wide >= 0x1p-126 && wide <= 0x1.fffffep127)) return false;
  uint64_t bits;
  std::memcpy(&bits, &wide, sizeof bits);
  if ((bits & 0x1FFFFFFF) == 0x10000000) return false;
  *out = static_cast<float>(wide);
  return true;
}

// The mantissa bits of "nan(...)": a hexadecimal number with 0x or a
// decimal one, of which the low 23 bits count; nothing for other text or
// for bits that would make an infinity.
std::optional<uint32_t> NanPayload(const char* begin, const char* end) {
  int base = 10;
  if (end - begin > 2 && begin[0] == '0' && Lower(begin[1]) == 'x') {
    base = 16;
    begin += 2;
  }
  uint64_t value = 0;
  auto result = std::from_chars(begin, end, value, base);
  if (result.ec != std::errc() || result.ptr != end) return std::nullopt;
  const uint32_t mantissa = static_cast<uint32_t>(value & 0x7FFFFF);
  if (mantissa == 0) return std::nullopt;
  return mantissa;
}

}  // namespace

bool NearestFloat(uint32_t mantissa, int scale, float* value) {
  if (mantissa == 0) {
    *value = 0.0f;
    return true;
  }
  if (scale < kMinPowerOfTen || scale > 38) return false;
  // One multiplication by the double nearest to the power of ten: the
  // product is off by less than two units of its last place (the power is
  // exact up to 10^22, but one rule for all keeps the reading free of
  // branches that random exponents would mispredict).
  const double wide = mantissa * PowerOfTen(scale);
  if (!(wide >= 0x1p-126 && wide <= 0x1.fffffep127)) return false;
  // Halfway between two floats the 29 bits a float drops are exactly 1
  // followed by zeros; a double within a few units of that cannot decide.
  uint64_t bits;
  std::memcpy(&bits, &wide, sizeof bits);
  const int64_t fromTie = static_cast<int64_t>(bits & 0x1FFFFFFF) - 0x10000000;
  if (fromTie >= -4 && fromTie <= 4) return false;
  *value = static_cast<float>(wide);
  return true;
}

void Scanner::SkipSpace() {
  while (*p_ == ' ') ++p_;  // the common case first
  while (IsSpace(*p_)) ++p_;
}

bool Scanner::Match(const char* pattern) {
  for (; *pattern; ++pattern) {
    if (*pattern == ' ') {
      SkipSpace();
    } else if (*p_ == *pattern) {
      ++p_;
    } else {
      return false;
    }
  }
  return true;
}

bool Scanner::Integer(int64_t* value, int maxWidth) {
  SkipSpace();
  if (maxWidth > 0) return LimitedInteger(value, maxWidth);
  const char* p = p_;
  const bool negative = TakeSign(p);
  unsigned digit = static_cast<unsigned>(*p - '0');
  if (digit > 9) return false;
  uint64_t magnitude = digit;
  const char* first = p;
  for (++p; (digit = static_cast<unsigned>(*p - '0')) <= 9; ++p) magnitude = magnitude * 10 + digit;
  if (p - first > 18) {
    // Past eighteen digits the sum may have wrapped: numbers this long saturate.
    magnitude = 0;
    for (const char* d = first; d < p; ++d) {
      const unsigned next = static_cast<unsigned>(*d - '0');
      magnitude = magnitude > (kSaturation - next) / 10 ? kSaturation : magnitude * 10 + next;
    }
  }
  p_ = p;
  *value = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
  return true;
}

bool Scanner::LimitedInteger(int64_t* value, int maxWidth) {
  const char* p = p_;
  // The width counts the sign and the digits.
  const char* limit = p + maxWidth;
  if ((*p == '-' || *p == '+') && p + 1 >= limit) return false;
  const bool negative = TakeSign(p);
  if (!IsDigit(*p)) return false;
  uint64_t magnitude = 0;
  for (; p < limit && IsDigit(*p); ++p) magnitude = magnitude * 10 + static_cast<unsigned>(*p - '0');
  p_ = p;
  *value = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
  return true;
}

bool Scanner::Hex(uint32_t* value) {
  SkipSpace();
  const char* p = p_;
  const bool negative = TakeSign(p);
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && HexValue(p[2]) >= 0) p += 2;
  if (HexValue(*p) < 0) return false;
  uint64_t v = 0;
  for (int d; (d = HexValue(*p)) >= 0; ++p)
    v = std::min<uint64_t>((v << 4) | static_cast<uint64_t>(d), UINT64_C(1) << 32);
  p_ = p;
  if (v > UINT32_MAX) {
    *value = UINT32_MAX;
  } else {
    *value = negative ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v);
  }
  return true;
}

bool Scanner::Real(float* value) {
  SkipSpace();
  const char* p = p_;
  const bool negative = TakeSign(p);
  float magnitude = 0;
  if (StartsWithNoCase(p, "inf")) {
    p += StartsWithNoCase(p, "infinity") ? 8 : 3;
    magnitude = std::numeric_limits<float>::infinity();
  } else if (StartsWithNoCase(p, "nan")) {
    p += 3;
    magnitude = std::numeric_limits<float>::quiet_NaN();
    if (*p == '(') {
      const char* q = p + 1;
      while (IsDigit(*q) || (Lower(*q) >= 'a' && Lower(*q) <= 'z') || *q == '_') ++q;
      if (*q == ')') {
        // "nan(0xM)" or "nan(M)": M gives the 23 mantissa bits, so that a
        // NaN's payload comes back as the exact layout writes it.
        if (auto payload = NanPayload(p + 1, q)) {
          const uint32_t bits = 0x7F800000u | *payload;
          std::memcpy(&magnitude, &bits, sizeof magnitude);
        }
        p = q + 1;
      }
    }
  } else {
    bool hex = p[0] == '0' && (p[1] == 'x' || p[1] == 'X') &&
               (HexValue(p[2]) >= 0 || (p[2] == '.' && HexValue(p[3]) >= 0));
    const char* digits = hex ? p + 2 : p;
    const char* q = digits;
    bool any = false;
    auto isMantissaDigit = [&](char c) { return hex ? HexValue(c) >= 0 : IsDigit(c); };
    while (isMantissaDigit(*q)) ++q, any = true;
    if (*q == '.') {
      ++q;
      while (isMantissaDigit(*q)) ++q, any = true;
    }
    if (!any) return false;
    char expChar = hex ? 'p' : 'e';
    if (Lower(*q) == expChar) {
      const char* e = q + 1;
      if (*e == '-' || *e == '+') ++e;
      if (IsDigit(*e)) {
        while (IsDigit(*e)) ++e;
        q = e;
      }
    }
    auto format = hex ? std::chars_format::hex : std::chars_format::general;
    std::from_chars_result result{q, std::errc()};
    if (hex || !ShortDecimalToFloat(digits, q, &magnitude))
      result = std::from_chars(digits, q, magnitude, format);
    if (result.ec == std::errc::result_out_of_range) {
      // Beyond the float range: strtof gives an infinity or a zero.
      double wide = 0;
      auto wideResult = std::from_chars(digits, q, wide, format);
      bool huge = wideResult.ec == std::errc() ? std::fabs(wide) > 1.0 : [&] {
        const char* e = digits;
        while (e < q && Lower(*e) != expChar) ++e;
        return e == q || e[1] != '-';
      }();
      magnitude = huge ? std::numeric_limits<float>::infinity() : 0.0f;
    } else if (result.ec != std::errc() || result.ptr != q) {
      return false;
    }
    p = q;
  }
  p_ = p;
  *value = negative ? -magnitude : magnitude;
  return true;
}

}  // namespace orvane::text
