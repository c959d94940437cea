// The number renderings and readings of the text files, compared with the C
// library in the "C" locale over edge values and many random ones, and their
// independence of the process locale.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "test_support.h"
#include "text/text_format.h"
#include "text/text_scan.h"

namespace orvane::testing {
namespace {

using text::Scanner;

template <typename... Args>
std::string Printf(const char* format, Args... args) {
  char buf[512];
  int n = std::snprintf(buf, sizeof buf, format, args...);
  return std::string(buf, static_cast<size_t>(n));
}

// Edge floats of every class, and ties of the six-decimal rendering.
std::vector<float> EdgeFloats() {
  const float inf = std::numeric_limits<float>::infinity();
  std::vector<float> v = {0.0f,
                          -0.0f,
                          1.0f,
                          -1.0f,
                          1.5f,
                          -1.5f,
                          0.5f,
                          0.1f,
                          0.2f,
                          0.3f,
                          1e-6f,
                          5e-7f,
                          4.9999999e-7f,
                          5.0000006e-7f,
                          0.0000005f,
                          0.0000015f,
                          0.0000025f,
                          0.9999995f,
                          9.9999995f,
                          999999.94f,
                          16777216.0f,
                          16777217.0f,
                          1e10f,
                          1e30f,
                          123456.789f,
                          std::numeric_limits<float>::max(),
                          -std::numeric_limits<float>::max(),
                          std::numeric_limits<float>::min(),
                          std::numeric_limits<float>::denorm_min(),
                          -std::numeric_limits<float>::denorm_min(),
                          FromBits(0x007FFFFF),
                          FromBits(0x00000003),
                          inf,
                          -inf,
                          9.5f,
                          10.5f,
                          0.125f,
                          0.0078125f,
                          0.0234375f,
                          2.5e-6f,
                          1e-7f,
                          1e-38f,
                          3.0e38f};
  // Binary fractions whose exact decimal ends one place past the sixth.
  for (int k = 1; k < 256; k += 2) v.push_back(static_cast<float>(k) / 128.0f);
  for (int k = 1; k < 64; k += 2) v.push_back(static_cast<float>(k) / 1024.0f * 1000.0f);
  return v;
}

std::vector<float> RandomFloats(size_t count, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<float> v;
  while (v.size() < count) {
    float f = FromBits(rng());
    if (!std::isnan(f)) v.push_back(f);
  }
  return v;
}

// The %15.7e of the C library with the exponent widened to three digits.
std::string WideExponent15_7(float value) {
  std::string s = Printf("%.7e", static_cast<double>(value));
  size_t e = s.find('e');
  if (e != std::string::npos && s.size() - (e + 2) == 2) s.insert(e + 2, "0");
  return s.size() < 15 ? std::string(15 - s.size(), ' ') + s : s;
}

TEST(TextFormat, FixedSixMatchesPrintfOfTheWidenedFloat) {
  for (float f : EdgeFloats())
    EXPECT_EQ(text::FormatFixed6(f), Printf("%f", static_cast<double>(f))) << Bits(f);
  for (float f : RandomFloats(100000, 1)) {
    ASSERT_EQ(text::FormatFixed6(f), Printf("%f", static_cast<double>(f))) << std::hex << Bits(f);
  }
}

TEST(TextFormat, FixedSixOfNanIsWhatPrintfWrites) {
  for (uint32_t bits : {0x7FC00000u, 0xFFC00000u, 0x7F800001u}) {
    float f = FromBits(bits);
    EXPECT_EQ(text::FormatFixed6(f), Printf("%f", static_cast<double>(f))) << std::hex << bits;
  }
}

TEST(TextFormat, Exponent15_7HasThreeExponentDigits) {
  EXPECT_EQ(text::FormatExp15_7(1.5f), " 1.5000000e+000");
  EXPECT_EQ(text::FormatExp15_7(-1.5f), "-1.5000000e+000");
  EXPECT_EQ(text::FormatExp15_7(0.0f), " 0.0000000e+000");
  EXPECT_EQ(text::FormatExp15_7(-0.0f), "-0.0000000e+000");
  EXPECT_EQ(text::FormatExp15_7(std::numeric_limits<float>::max()), " 3.4028235e+038");
  EXPECT_EQ(text::FormatExp15_7(std::numeric_limits<float>::denorm_min()), " 1.4012985e-045");
  EXPECT_EQ(text::FormatExp15_7(std::numeric_limits<float>::infinity()), "            inf");
  EXPECT_EQ(text::FormatExp15_7(-std::numeric_limits<float>::infinity()), "           -inf");
  EXPECT_EQ(text::FormatExp15_7(std::numeric_limits<float>::quiet_NaN()), "            nan");
}

TEST(TextFormat, Exponent15_7MatchesPrintfOverManyValues) {
  for (float f : EdgeFloats()) EXPECT_EQ(text::FormatExp15_7(f), WideExponent15_7(f)) << Bits(f);
  for (float f : RandomFloats(100000, 2))
    ASSERT_EQ(text::FormatExp15_7(f), WideExponent15_7(f)) << std::hex << Bits(f);
}

// Floats next to the decimal ties of the eighth significant digit, where a
// rendering that rounds inexactly goes wrong first.
TEST(TextFormat, Exponent15_7MatchesPrintfNextToRoundingTies) {
  std::mt19937 rng(10);
  for (int k = 0; k < 30000; ++k) {
    const std::string digits = std::to_string(10000000 + rng() % 90000000);
    const int exponent = static_cast<int>(rng() % 84) - 45;
    const std::string tie = digits.substr(0, 1) + "." + digits.substr(1) + "5e" + std::to_string(exponent);
    const float nearest = std::strtof(tie.c_str(), nullptr);
    for (float f : {nearest, std::nextafter(nearest, 0.0f), std::nextafter(nearest, 1e38f), -nearest}) {
      ASSERT_EQ(text::FormatExp15_7(f), WideExponent15_7(f)) << tie << " " << std::hex << Bits(f);
    }
  }
}

TEST(TextFormat, Exponent15_7MatchesPrintfOnEveryPowerOfTwoAndTen) {
  for (int e = -149; e <= 127; ++e) {
    const float f = std::ldexp(1.0f, e);
    ASSERT_EQ(text::FormatExp15_7(f), WideExponent15_7(f)) << e;
  }
  for (int e = -45; e <= 38; ++e) {
    const float f = std::strtof(("1e" + std::to_string(e)).c_str(), nullptr);
    for (float g : {f, std::nextafter(f, 0.0f), std::nextafter(f, 1e38f)})
      ASSERT_EQ(text::FormatExp15_7(g), WideExponent15_7(g)) << e << " " << std::hex << Bits(g);
  }
}

TEST(TextFormat, SixColumnSampleMatchesPrintfForEverySixteenBitValue) {
  for (int v = INT16_MIN; v <= INT16_MAX; ++v) {
    char buf[16];
    ASSERT_EQ(std::string(buf, text::AppendWord6(buf, static_cast<int16_t>(v))), Printf("%6d", v));
  }
}

TEST(TextFormat, IntegersMatchPrintf) {
  std::vector<int64_t> values = {0,      1,      -1,      9,       10,        99,        100,
                                 -99,    -100,   32767,   -32768,  65535,     99999,     100000,
                                 999999, -99999, -100000, 1000000, INT32_MAX, INT32_MIN, UINT32_MAX};
  std::mt19937 rng(3);
  for (int k = 0; k < 20000; ++k) {
    values.push_back(static_cast<int32_t>(rng()));
    values.push_back(static_cast<int32_t>(rng()) >> (rng() % 32));
  }
  for (int64_t wide : values) {
    const int32_t v = static_cast<int32_t>(wide);
    const uint32_t u = static_cast<uint32_t>(wide);
    char buf[64];
    ASSERT_EQ(std::string(buf, text::AppendLong(buf, v)), Printf("%d", v));
    ASSERT_EQ(std::string(buf, text::AppendULong(buf, u)), Printf("%u", u));
    ASSERT_EQ(std::string(buf, text::AppendHex(buf, u)), Printf("%X", u));
    ASSERT_EQ(std::string(buf, text::AppendRightAligned(buf, v, 6)), Printf("%6d", v));
    ASSERT_EQ(std::string(buf, text::AppendRightAligned(buf, v, 2)), Printf("%2d", v));
    ASSERT_EQ(std::string(buf, text::AppendRightAligned(buf, static_cast<uint16_t>(u), 0)),
              Printf("%d", static_cast<int>(static_cast<uint16_t>(u))));
  }
}

TEST(TextFormat, TextFieldStopsAtNulAndAtItsSize) {
  const uint8_t field[6] = {'a', '\n', 'b', '\r', 'c', '#'};
  char buf[16];
  EXPECT_EQ(std::string(buf, text::AppendTextField(buf, field, 6)), "a b c#");
  const uint8_t shortField[6] = {'x', 'y', 0, 'z', 'z', 'z'};
  EXPECT_EQ(std::string(buf, text::AppendTextField(buf, shortField, 6)), "xy");
}

// Scans text with Scanner::Real; nullopt when it does not match.
std::optional<float> ScanReal(const std::string& s, size_t* consumed = nullptr) {
  Scanner in(s.c_str());
  float v;
  if (!in.Real(&v)) return std::nullopt;
  if (consumed) *consumed = static_cast<size_t>(in.Position() - s.c_str());
  return v;
}

// strtof's reading, and the characters it took.
float Strtof(const std::string& s, size_t* consumed) {
  char* end;
  float v = std::strtof(s.c_str(), &end);
  *consumed = static_cast<size_t>(end - s.c_str());
  return v;
}

void ExpectScanLikeStrtof(const std::string& s) {
  size_t ours = 0, theirs = 0;
  const float expected = Strtof(s, &theirs);
  auto got = ScanReal(s, &ours);
  ASSERT_TRUE(got.has_value()) << '"' << s << '"';
  if (std::isnan(expected)) {
    EXPECT_TRUE(std::isnan(*got)) << s;
    EXPECT_EQ(std::signbit(*got), std::signbit(expected)) << s;
  } else {
    EXPECT_EQ(Bits(*got), Bits(expected)) << '"' << s << "\" " << *got << " vs " << expected;
  }
  EXPECT_EQ(ours, theirs) << '"' << s << '"';
}

TEST(TextScan, RealMatchesStrtofOnEdgeTexts) {
  const char* texts[] = {
      "0",
      "-0",
      "+0",
      "0.0",
      "1",
      "1.5",
      "-1.5",
      ".5",
      "5.",
      "1.5000000e+000",
      "-1.5000000e+000",
      "  42.25",
      "\t7",
      "1e5",
      "1E5",
      "1e+05",
      "1e-05",
      "3.4028235e38",
      "3.40282346639e38",
      "3.4028235677973366e38",
      "3.4028235677973367e38",
      "3.4028236e38",
      "1e39",
      "-1e39",
      "1e400",
      "-1e400",
      "1e-38",
      "1.17549435e-38",
      "1e-40",
      "1.4e-45",
      "1.401298464e-45",
      "7.006492321624085e-46",
      "7.0064924e-46",
      "7e-46",
      "1e-46",
      "-1e-46",
      "1e-50",
      "1e-400",
      "0e999",
      "0.000000",
      "-0.000000",
      "0.0000001",
      "0.00000005",
      "340282346638528859811704183484516925440.000000",
      "123456789012345678901234567890",
      "inf",
      "-inf",
      "INF",
      "Infinity",
      "-infinity",
      "nan",
      "-nan",
      "NAN",
      "nan(123)",
      "0x1p-3",
      "0X1.8P1",
      "-0x.8p0",
      "16777217",
      "16777219",
      "0.1",
      "2.5e-7",
      "9.99999999e-3",
      "1.00000005960464477539062499",
      "1.000000059604644775390625",
      "1.00000005960464477539062501",
      "7.0e-45",
      "1.1754942e-38",
      "33554435",
      "1e38",
      "9.9999998e37",
  };
  for (const char* s : texts) ExpectScanLikeStrtof(s);
}

TEST(TextScan, RealStopsWhereStrtofStops) {
  for (const char* s : {"1.5x", "2e", "2e+", "3.0e-", "4 5", "6,5", "7:", "infin", "nanx", "1e5e5"}) {
    ExpectScanLikeStrtof(s);
  }
}

TEST(TextScan, RealRefusesTextWithoutANumber) {
  for (const char* s : {"", "   ", "x", ".", "-", "+.", "e5", "#1", ":1"})
    EXPECT_FALSE(ScanReal(s).has_value()) << s;
}

TEST(TextScan, RealMatchesStrtofOnPrintedRandomFloats) {
  for (float f : RandomFloats(30000, 4)) {
    const double d = f;
    for (const std::string& s : {Printf("%.7e", d), Printf("%.9g", d), Printf("%f", d), Printf("%.3e", d),
                                 Printf("%.12e", d), Printf("%a", d)}) {
      ExpectScanLikeStrtof(s);
      if (::testing::Test::HasFailure()) return;
    }
  }
}

TEST(TextScan, RealMatchesStrtofOnRandomDecimals) {
  std::mt19937 rng(5);
  for (int k = 0; k < 50000; ++k) {
    std::string digits = std::to_string(rng() % 100000000);
    const int exponent = static_cast<int>(rng() % 100) - 60;
    const std::string s = (rng() % 2 ? "-" : "") + digits.substr(0, 1) + "." + digits.substr(1) + "e" +
                          std::to_string(exponent);
    ExpectScanLikeStrtof(s);
    if (::testing::Test::HasFailure()) return;
  }
}

TEST(TextScan, FormattingThenScanningGivesTheValueBack) {
  for (float f : RandomFloats(50000, 6)) {
    // Values that eight significant digits tell apart from their neighbours.
    const float exact = std::strtof(Printf("%.7e", static_cast<double>(f)).c_str(), nullptr);
    if (exact != f) continue;
    auto back = ScanReal(text::FormatExp15_7(f));
    ASSERT_TRUE(back.has_value());
    ASSERT_EQ(Bits(*back), Bits(f)) << text::FormatExp15_7(f);
  }
  for (float f : RandomFloats(50000, 7)) {
    auto back = ScanReal(text::FormatFixed6(f));
    ASSERT_TRUE(back.has_value());
    ASSERT_EQ(Bits(*back), Bits(std::strtof(Printf("%f", static_cast<double>(f)).c_str(), nullptr)));
  }
}

TEST(TextScan, IntegerMatchesStrtolWithinThirtyTwoBits) {
  std::mt19937 rng(8);
  for (int k = 0; k < 20000; ++k) {
    const int64_t v = static_cast<int32_t>(rng());
    for (const std::string& s :
         {std::to_string(v), "  " + std::to_string(v), "+" + std::to_string(v < 0 ? -v : v)}) {
      Scanner in(s.c_str());
      int64_t got;
      ASSERT_TRUE(in.Integer(&got)) << s;
      ASSERT_EQ(got, std::strtoll(s.c_str(), nullptr, 10)) << s;
    }
  }
}

TEST(TextScan, IntegerWidthCountsAfterTheBlanks) {
  Scanner in("  123:");
  int64_t v;
  ASSERT_TRUE(in.Integer(&v, 2));
  EXPECT_EQ(v, 12);
  EXPECT_EQ(*in.Position(), '3');
  Scanner sign("-5:");
  ASSERT_TRUE(sign.Integer(&v, 2));
  EXPECT_EQ(v, -5);
  Scanner bare("-:");
  EXPECT_FALSE(bare.Integer(&v, 2));
}

TEST(TextScan, HexMatchesStrtoul) {
  std::mt19937 rng(9);
  for (int k = 0; k < 20000; ++k) {
    const uint32_t v = rng();
    for (const std::string& s : {Printf("%X", v), Printf("%x", v), Printf("0x%X", v), Printf(" %08X", v)}) {
      Scanner in(s.c_str());
      uint32_t got;
      ASSERT_TRUE(in.Hex(&got)) << s;
      ASSERT_EQ(got, static_cast<uint32_t>(std::strtoul(s.c_str(), nullptr, 16))) << s;
    }
  }
}

TEST(TextScan, BlankInAPatternMatchesAnyRunOfWhiteSpace) {
  for (const char* line : {"MAGC:35799753", "MAGC: 35799753", "MAGC:  \t 35799753"}) {
    Scanner in(line);
    uint32_t v;
    EXPECT_TRUE(in.Match("MAGC: ") && in.Hex(&v) && v == 0x35799753u) << line;
  }
  Scanner wrong("MAGC : 1");
  EXPECT_FALSE(wrong.Match("MAGC: "));
}

}  // namespace
}  // namespace orvane::testing
