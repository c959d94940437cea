// The exact formatters and scanners of pulse file text. Formatting then
// scanning gives the value back: integers exactly; "%15.7e" gives the float
// nearest to its eight significant digits, which formats to the same text
// again. Every formatted text equals what the C library prints in the "C"
// locale, and scanning arbitrary text agrees with strtof, strtoll and
// strtoul (of a 32-bit long) in the "C" locale.
#include <locale.h>
#include <cctype>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fuzz_support.h"
#include "fuzz_target.h"
#include "text/text_format.h"
#include "text/text_scan.h"

namespace orvane::fuzz {

namespace {

using text::Scanner;

locale_t CLocale() {
  static locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
  return c;
}

// printf in the "C" locale, whatever the process locale.
template <typename... Args>
std::string Printed(const char* format, Args... args) {
  locale_t previous = uselocale(CLocale());
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, format, args...);
  uselocale(previous);
  return buffer;
}

std::string Formatted(char* (*append)(char*, float), float value) {
  char buffer[text::kMaxFieldChars + 1];
  char* end = append(buffer, value);
  return std::string(buffer, end);
}

bool SameFloat(float a, float b) {
  if (std::isnan(a) || std::isnan(b))
    return std::isnan(a) && std::isnan(b) && std::signbit(a) == std::signbit(b);
  return std::memcmp(&a, &b, sizeof a) == 0;
}

float ScannedReal(const std::string& text) {
  Scanner scanner(text.c_str());
  float value = 0;
  Check(scanner.Real(&value), "a formatted real does not scan");
  Check(*scanner.Position() == '\0', "a formatted real scans only in part");
  return value;
}

// "%15.7e" as this platform's printf writes it, with the exponent widened
// to three digits.
std::string Exp15_7Reference(float value) {
  if (!std::isfinite(value)) return Printed("%15.7e", static_cast<double>(value));
  std::string text = Printed("%.7e", static_cast<double>(value));
  size_t e = text.find('e');
  std::string digits = text.substr(e + 2);
  while (digits.size() < 3) digits.insert(0, "0");
  text = text.substr(0, e + 2) + digits;
  return std::string(text.size() < 15 ? 15 - text.size() : 0, ' ') + text;
}

void CheckReal(float value) {
  const std::string fixed = Formatted(text::AppendFixed6, value);
  Check(fixed == Printed("%f", static_cast<double>(value)), "\"%f\" differs from printf");
  Check(SameFloat(ScannedReal(fixed), strtof_l(fixed.c_str(), nullptr, CLocale())),
        "%f text scans unlike strtof");

  const std::string exp = text::FormatExp15_7(value);
  Check(exp == Exp15_7Reference(value), "\"%15.7e\" differs from printf");
  const float back = ScannedReal(exp);
  Check(SameFloat(back, strtof_l(exp.c_str(), nullptr, CLocale())), "%15.7e text scans unlike strtof");
  Check(text::FormatExp15_7(back) == exp, "a scanned %15.7e value formats to another text");
  if (std::isinf(value)) Check(SameFloat(back, value), "an infinity does not come back");
}

void CheckIntegers(uint32_t bits, int64_t wide, int width) {
  char buffer[text::kMaxFieldChars + 1];
  auto scanBack = [](const char* begin, const char* end) {
    std::string s(begin, end);
    Scanner scanner(s.c_str());
    int64_t value = 0;
    Check(scanner.Integer(&value) && *scanner.Position() == '\0', "a formatted integer does not scan");
    return value;
  };
  const int32_t signedBits = static_cast<int32_t>(bits);
  char* end = text::AppendLong(buffer, signedBits);
  Check(std::string(buffer, end) == Printed("%d", signedBits), "\"%ld\" differs from printf");
  Check(scanBack(buffer, end) == signedBits, "\"%ld\" does not scan back");
  end = text::AppendULong(buffer, bits);
  Check(std::string(buffer, end) == Printed("%u", bits), "\"%lu\" differs from printf");
  Check(text::ToULong(scanBack(buffer, end)) == bits, "\"%lu\" does not scan back");
  end = text::AppendHex(buffer, bits);
  Check(std::string(buffer, end) == Printed("%X", bits), "\"%lX\" differs from printf");
  {
    std::string s(buffer, end);
    Scanner scanner(s.c_str());
    uint32_t value = 0;
    Check(scanner.Hex(&value) && value == bits, "\"%lX\" does not scan back");
  }
  end = text::AppendRightAligned(buffer, wide, width);
  Check(std::string(buffer, end) == Printed("%*lld", width, static_cast<long long>(wide)),
        "a right-aligned integer differs from printf");
  if (wide > -(int64_t{1} << 62) && wide < (int64_t{1} << 62))
    Check(scanBack(buffer, end) == wide, "a right-aligned integer does not scan back");
}

// Counts the digits of the number strtol or strtoul took, so that values
// beyond the scanner's saturation are left alone.
size_t DigitsIn(const char* begin, const char* end) {
  size_t digits = 0;
  for (const char* p = begin; p < end; ++p) digits += std::isxdigit(static_cast<unsigned char>(*p)) != 0;
  return digits;
}

// What strtoul gives where long has 32 bits, from what strtoull gave for
// the same text: a magnitude beyond 32 bits gives ULONG_MAX whatever the
// sign; otherwise a minus sign negates modulo 2^32.
uint32_t StrtoulOf32Bits(const char* text, unsigned long long wide) {
  while (std::isspace(static_cast<unsigned char>(*text))) ++text;
  const bool negative = *text == '-';
  const unsigned long long magnitude = negative ? 0 - wide : wide;
  if (magnitude > UINT32_MAX) return UINT32_MAX;
  return negative ? 0u - static_cast<uint32_t>(magnitude) : static_cast<uint32_t>(magnitude);
}

void CheckScanningText(const std::string& text) {
  const char* c = text.c_str();
  {
    char* end = nullptr;
    float expected = strtof_l(c, &end, CLocale());
    Scanner scanner(c);
    float value = 0;
    bool scanned = scanner.Real(&value);
    Check(scanned == (end != c), "Real accepts what strtof refuses, or the other way round");
    if (scanned) {
      Check(SameFloat(value, expected) || (std::isnan(value) && std::isnan(expected)),
            "Real differs from strtof");
      Check(scanner.Position() == end, "Real stops elsewhere than strtof");
    }
  }
  {
    char* end = nullptr;
    long long expected = strtoll_l(c, &end, 10, CLocale());
    Scanner scanner(c);
    int64_t value = 0;
    bool scanned = scanner.Integer(&value);
    Check(scanned == (end != c), "Integer accepts what strtoll refuses, or the other way round");
    if (scanned) {
      Check(scanner.Position() == end, "Integer stops elsewhere than strtoll");
      if (DigitsIn(c, end) <= 18) Check(value == expected, "Integer differs from strtoll");
    }
  }
  {
    char* end = nullptr;
    unsigned long long expected = strtoull_l(c, &end, 16, CLocale());
    Scanner scanner(c);
    uint32_t value = 0;
    bool scanned = scanner.Hex(&value);
    Check(scanned == (end != c), "Hex accepts what strtoul refuses, or the other way round");
    if (scanned) {
      Check(scanner.Position() == end, "Hex stops elsewhere than strtoull");
      if (DigitsIn(c, end) <= 15) Check(value == StrtoulOf32Bits(c, expected), "Hex differs from strtoul");
    }
  }
}

template <typename T>
T Take(const uint8_t*& data, size_t& size) {
  T value{};
  size_t n = std::min(size, sizeof value);
  std::memcpy(&value, data, n);
  data += n;
  size -= n;
  return value;
}

std::string Bytes(const void* data, size_t n) { return std::string(static_cast<const char*>(data), n); }

}  // namespace

std::vector<std::string> SeedInputs(const fs::path&) {
  std::vector<std::string> seeds;
  for (float f : {0.0f, -0.0f, 1.5f, -1.5f, 1e-45f, 3.4028235e38f, 1.17549435e-38f, 0.1f, 123456789.0f,
                  HUGE_VALF, -HUGE_VALF, std::nanf(""), -std::nanf("")}) {
    for (int64_t wide : {int64_t{0}, int64_t{-7}, int64_t{65535}, INT64_MIN, INT64_MAX}) {
      uint8_t width = 6;
      seeds.push_back("\x00" + Bytes(&f, 4) + Bytes(&wide, 8) + Bytes(&width, 1));
    }
  }
  for (const char* text : {"  1.5e+000",   "-nan",
                           "INFINITY",     "nan(123abc)",
                           "0x1.8p3",      "0x",
                           "1e",           "1e+",
                           ".5",           "-.e1",
                           "4294967295",   "-2147483648",
                           "+0x7fffffff",  "99999999999999999999",
                           "-100000000",   "123456789A",
                           "-FFFFFFFF",    "1e-50",
                           "3.4028236e38", "1.401298e-45",
                           "7.0064923e-46"})
    seeds.push_back(std::string("\x01") + text);
  return seeds;
}

}  // namespace orvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvane::fuzz;
  if (size == 0) return 0;
  const uint8_t mode = data[0];
  ++data;
  --size;
  if (mode % 2 == 1) {
    CheckScanningText(std::string(reinterpret_cast<const char*>(data), std::min<size_t>(size, 256)));
    return 0;
  }
  const uint32_t bits = Take<uint32_t>(data, size);
  const int64_t wide = Take<int64_t>(data, size);
  const int width = Take<uint8_t>(data, size) % 24;
  float value;
  std::memcpy(&value, &bits, sizeof value);
  CheckReal(value);
  CheckIntegers(bits, wide, width);
  return 0;
}
