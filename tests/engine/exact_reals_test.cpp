// The renderings of the exact layout and the counting of what the default
// text loses, against the C library: random floats of every class (any
// bits, subnormals, near powers of two), each read back through the
// scanner the import uses.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <random>
#include <string>

#include "text/exact_reals.h"
#include "text/text_format.h"
#include "text/text_scan.h"

namespace orvane::testing {
namespace {

constexpr int kRandomFloats = 300000;

uint32_t Bits(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

float FromBits(uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// Floats of every class: any bits, subnormals, and the neighbours of powers
// of two, where the gap to the float below halves.
float RandomFloat(std::mt19937& random) {
  const uint32_t bits = random();
  switch (bits % 4) {
    case 0: return FromBits(bits & 0x807FFFFF);
    case 1: return FromBits((bits & 0xFF800000) | (bits >> 8 & 1));
    default: return FromBits(bits);
  }
}

// What the import reads back from text.
std::optional<uint32_t> ReadBack(const std::string& text) {
  float value;
  text::Scanner in(text.c_str());
  if (!in.Real(&value)) return std::nullopt;
  return Bits(value);
}

// "%16.8e" of the C library, with the exponent in three digits.
std::string LibraryExp16_8(float value) {
  char buf[64];
  int n = std::snprintf(buf, sizeof buf, "%.8e", static_cast<double>(value));
  std::string s(buf, static_cast<size_t>(n));
  size_t e = s.find('e');
  if (e != std::string::npos && s.size() - (e + 2) == 2) s.insert(e + 2, "0");
  return s.size() < 16 ? std::string(16 - s.size(), ' ') + s : s;
}

TEST(ExactReals, NineDigitSamplesAreTheLibrarysAndReadBackToTheSameBits) {
  std::mt19937 random(24);
  for (int k = 0; k < kRandomFloats; ++k) {
    const float value = RandomFloat(random);
    const std::string text = text::FormatExp16_8(value);
    if (std::isnan(value)) {
      EXPECT_EQ(ReadBack(text), Bits(value)) << text;
      continue;
    }
    ASSERT_EQ(text, LibraryExp16_8(value)) << std::hex << Bits(value);
    ASSERT_EQ(ReadBack(text), Bits(value)) << text;
  }
}

TEST(ExactReals, HeaderRealsKeepSixDecimalsWhereTheyDoAndReadBackToTheSameBits) {
  std::mt19937 random(5);
  for (int k = 0; k < kRandomFloats; ++k) {
    const float value = RandomFloat(random);
    const std::string text = text::FormatExactReal(value);
    ASSERT_EQ(ReadBack(text), Bits(value)) << text;
    if (text::FixedSixKeeps(value)) {
      EXPECT_EQ(text, text::FormatFixed6(value));
    }
  }
  EXPECT_EQ(text::FormatExactReal(0.18501143f), "0.18501143");
  EXPECT_EQ(text::FormatExactReal(3.3e-10f), "3.3e-10");
  EXPECT_EQ(text::FormatExactReal(1.5f), "1.500000");
  EXPECT_EQ(text::FormatExactReal(-0.0f), "-0.000000");
}

TEST(ExactReals, CountedSamplesAreTheDefaultTextAndCountExactlyWhatItLoses) {
  std::mt19937 random(11);
  uint64_t rounded = 0;
  uint64_t nans = 0;
  uint64_t expectRounded = 0;
  uint64_t expectNans = 0;
  for (int k = 0; k < kRandomFloats; ++k) {
    const float value = RandomFloat(random);
    char counted[64];
    const text::CountedText field = text::AppendExp15_7Counted(counted, value);
    rounded += field.losses & 0xFFFFFFFF;
    nans += field.losses >> 32;
    const std::string text(counted, field.end);
    ASSERT_EQ(text, text::FormatExp15_7(value));
    if (std::isnan(value)) {
      expectNans += text::HasNanPayload(value) ? 1 : 0;
    } else {
      expectRounded += ReadBack(text) == Bits(value) ? 0 : 1;
    }
    ASSERT_EQ(rounded, expectRounded) << text << " " << std::hex << Bits(value);
    ASSERT_EQ(nans, expectNans);
  }
  EXPECT_GT(rounded, 0u);
}

TEST(ExactReals, NanPayloadsAreSpelledAndReadBack) {
  EXPECT_EQ(text::FormatExactReal(FromBits(0x7FC00000)), "nan");
  EXPECT_EQ(text::FormatExactReal(FromBits(0xFFC00000)), "-nan");
  EXPECT_EQ(text::FormatExactReal(FromBits(0x7FC00001)), "nan(0x400001)");
  EXPECT_EQ(text::FormatExactReal(FromBits(0xFF800001)), "-nan(0x1)");
  EXPECT_EQ(text::FormatExp16_8(FromBits(0x7F812345)), "    nan(0x12345)");
  for (uint32_t bits : {0x7F800001u, 0xFF812345u, 0x7FFFFFFFu, 0x7FC00000u, 0xFFC00000u, 0x7FA00000u})
    EXPECT_EQ(ReadBack(text::FormatExactReal(FromBits(bits))), bits) << std::hex << bits;
  EXPECT_EQ(ReadBack("nan(12345)"), 0x7F803039u);  // decimal
  EXPECT_EQ(ReadBack("nan(0x0)"), 0x7FC00000u);    // no payload: the plain NaN
  EXPECT_EQ(ReadBack("nan(abc)"), 0x7FC00000u);    // no number: the plain NaN, as before
  EXPECT_FALSE(text::HasNanPayload(FromBits(0xFFC00000)));
  EXPECT_TRUE(text::HasNanPayload(FromBits(0x7FC00001)));
}

}  // namespace
}  // namespace orvane::testing
