#include "text_format.h"

#include <charconv>
#include <cmath>
#include <cstring>

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

char* AppendSigned(char* out, int64_t value) {
  char tmp[24];
  char* end = tmp + sizeof tmp;
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  char* begin = DigitsBackward(end, magnitude);
  if (value < 0) *--begin = '-';
  size_t n = static_cast<size_t>(end - begin);
  std::memcpy(out, begin, n);
  return out + n;
}

}  // namespace

char* AppendLong(char* out, int32_t value) { return AppendSigned(out, value); }

char* AppendULong(char* out, uint32_t value) { return AppendSigned(out, value); }

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

char* AppendFixed6(char* out, float value) {
  double widened = value;
  if (std::isnan(widened)) return AppendLiteral(out, std::signbit(widened) ? "-nan" : "nan");
  auto result = std::to_chars(out, out + kMaxFieldChars, widened, std::chars_format::fixed, 6);
  return result.ptr;
}

char* AppendExp15_7(char* out, float value) {
  double widened = value;
  char tmp[kMaxFieldChars];
  char* end;
  if (std::isnan(widened)) {
    end = AppendLiteral(tmp, std::signbit(widened) ? "-nan" : "nan");
  } else if (std::isinf(widened)) {
    end = AppendLiteral(tmp, widened < 0 ? "-inf" : "inf");
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

char* AppendLiteral(char* out, const char* textValue) {
  size_t n = std::strlen(textValue);
  std::memcpy(out, textValue, n);
  return out + n;
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
