// The fast renderings and readings of samples against the C library: every
// 16-bit value, random floats of every class, decimal ties, and value lines
// read by their columns against the scanner. The quick tier draws a sample
// of the floats; the slow tier (the same file, built with
// ORVANE_RANDOM_FLOATS=100000000) draws 10^8 per format.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "text/canonical_lines.h"
#include "text/sample_lines.h"
#include "test_support.h"
#include "text/text_format.h"
#include "text/word_fields.h"

#ifndef ORVANE_RANDOM_FLOATS
#define ORVANE_RANDOM_FLOATS 400000
#endif

namespace orvane::testing {
namespace {

constexpr uint64_t kRandomFloats = ORVANE_RANDOM_FLOATS;

// "%15.7e" of the C library, with the exponent written in three digits as
// the text files have it.
std::string LibraryExp15_7(float value) {
  char buf[64];
  int n = std::snprintf(buf, sizeof buf, "%.7e", static_cast<double>(value));
  std::string s(buf, static_cast<size_t>(n));
  size_t e = s.find('e');
  if (e != std::string::npos && s.size() - (e + 2) == 2) s.insert(e + 2, "0");
  return s.size() < 15 ? std::string(15 - s.size(), ' ') + s : s;
}

std::string Label(uint64_t index) {
  char buf[32];
  return std::string(buf, static_cast<size_t>(std::snprintf(
                              buf, sizeof buf, "%6llu:  ", static_cast<unsigned long long>(index))));
}

// A value line as a delivered line: cut at 120, blanks to 120, a NUL and the
// eight zero bytes the readers may look at.
std::vector<char> Delivered(const std::string& line) {
  std::vector<char> delivered(120 + 1 + 8, '\0');
  std::string text = line.substr(0, line.find('\n'));
  text.resize(120, ' ');
  std::memcpy(delivered.data(), text.data(), 120);
  return delivered;
}

TEST(NumberDifferential, EveryWordFieldIsWhatPrintfWrites) {
  const char* fields = text::WordFields();
  for (int v = INT16_MIN; v <= INT16_MAX; ++v) {
    char expected[16];
    std::snprintf(expected, sizeof expected, "%6d  ", v);
    const uint64_t word = text::WordFieldWord(fields, static_cast<int16_t>(v));
    ASSERT_EQ(std::memcmp(&word, expected, 8), 0) << v;
  }
}

// All 65,536 values in lines of eight, as the export writes them, read by
// their columns (and by the portable reading) and by strtol.
TEST(NumberDifferential, EveryWordValueReadsBackAsStrtolReadsIt) {
  for (bool labelled : {false, true}) {
    std::string text;
    std::vector<std::string> fields;
    for (int v = INT16_MIN; v <= INT16_MAX; v += 8) {
      // Labels of six and of seven digits alike.
      std::string line = labelled ? Label(static_cast<uint64_t>(v + 32768) * 31) : "";
      for (int k = 0; k < 8; ++k) {
        char field[16];
        std::snprintf(field, sizeof field, "%6d", v + k);
        fields.push_back(field);
        line += field;
        line += k == 7 ? "\n" : "   ";
      }
      text += line;
    }
    text += "\n";
    std::vector<uint8_t> samples(8192 * 16);
    const CanonicalRun run =
        TakeCanonicalLines(SampleType::Int16, labelled, text.data(), text.size(), 8192, samples.data());
    ASSERT_EQ(run.lines, 8192u);
    ASSERT_EQ(run.bytes, text.size() - 1);
    for (size_t i = 0; i < fields.size(); ++i) {
      const long expected = std::strtol(fields[i].c_str(), nullptr, 10);
      const int16_t got = static_cast<int16_t>(samples[2 * i] | (samples[2 * i + 1] << 8));
      ASSERT_EQ(got, expected) << fields[i];
    }
    if (!labelled) {
      for (size_t line = 0; line < 8192; ++line) {
        int16_t values[8];
        ASSERT_TRUE(TakeWordLine(text.data() + 70 * line, values)) << line;
        for (int k = 0; k < 8; ++k)
          ASSERT_EQ(values[k], std::strtol(fields[8 * line + k].c_str(), nullptr, 10));
      }
    }
  }
}

TEST(NumberDifferential, RandomFloatsRenderAsPrintfRendersThem) {
  std::mt19937 rng(20261209);
  for (uint64_t i = 0; i < kRandomFloats; ++i) {
    const float f = FromBits(rng());
    ASSERT_EQ(text::FormatExp15_7(f), LibraryExp15_7(f)) << std::hex << Bits(f);
  }
}

TEST(NumberDifferential, FloatsOfEveryClassRenderAsPrintfRendersThem) {
  std::vector<uint32_t> bits = {0x00000000, 0x80000000, 0x00000001, 0x80000001, 0x007FFFFF, 0x807FFFFF,
                                0x00800000, 0x7F7FFFFF, 0xFF7FFFFF, 0x7F800000, 0xFF800000, 0x7FC00000,
                                0xFFC00000, 0x7F800001, 0xFFFFFFFF, 0x3F800000, 0x3F7FFFFF};
  // Every subnormal exponent's neighbourhood and every binade's ends.
  for (uint32_t e = 0; e < 256; ++e)
    for (uint32_t m : {0u, 1u, 2u, 0x3FFFFFu, 0x400000u, 0x7FFFFEu, 0x7FFFFFu}) bits.push_back(e << 23 | m);
  for (uint32_t b : bits) {
    for (uint32_t sign : {0u, 0x80000000u}) {
      const float f = FromBits(b | sign);
      ASSERT_EQ(text::FormatExp15_7(f), LibraryExp15_7(f)) << std::hex << (b | sign);
    }
  }
}

// Four printed fields to a line, read by their columns and by strtof.
void ExpectRealLineReadsAsStrtof(const std::vector<std::string>& fields) {
  std::string line;
  for (size_t k = 0; k < 4; ++k) line += fields[k] + (k == 3 ? "\n" : "   ");
  line += "\n";
  float values[4];
  const bool taken = TakeRealLine(line.data(), values);
  bool canonical = true;
  for (const std::string& field : fields)
    canonical = canonical && field.find_first_of("ni") == std::string::npos;
  ASSERT_EQ(taken, canonical) << line;
  // The run reader (sixteen bytes at a time where the processor allows).
  uint8_t samples[16];
  const CanonicalRun run = TakeCanonicalLines(SampleType::Real32, false, line.data(), line.size(), 1, samples);
  ASSERT_EQ(run.lines, canonical ? 1u : 0u) << line;
  if (!taken) return;
  for (size_t k = 0; k < 4; ++k) {
    const uint32_t expected = Bits(std::strtof(fields[k].c_str(), nullptr));
    ASSERT_EQ(Bits(values[k]), expected) << fields[k];
    uint32_t stored;
    std::memcpy(&stored, samples + 4 * k, sizeof stored);
    ASSERT_EQ(stored, expected) << fields[k];
  }
}

TEST(NumberDifferential, RandomFloatsReadBackAsStrtofReadsThem) {
  std::mt19937 rng(7);
  std::vector<std::string> fields(4);
  for (uint64_t i = 0; i < kRandomFloats; i += 4) {
    for (std::string& field : fields) field = LibraryExp15_7(FromBits(rng()));
    ExpectRealLineReadsAsStrtof(fields);
  }
}

// Eight-digit decimals of any exponent a field can hold, past the float
// range both ways, and decimals that lie exactly halfway between two floats.
TEST(NumberDifferential, RandomDecimalsReadAsStrtofReadsThem) {
  std::mt19937 rng(11);
  std::vector<std::string> fields(4);
  char buf[32];
  for (uint64_t i = 0; i < kRandomFloats; i += 4) {
    for (std::string& field : fields) {
      const unsigned mantissa = rng() % 100000000;
      const int exponent = static_cast<int>(rng() % 111) - 60;
      std::snprintf(buf, sizeof buf, "%c%u.%07ue%c%03d", rng() % 2 ? '-' : ' ', mantissa / 10000000,
                    mantissa % 10000000, exponent < 0 ? '-' : '+', std::abs(exponent));
      field = buf;
    }
    ExpectRealLineReadsAsStrtof(fields);
  }
  // Odd integers from 2^24 to 2^25 are ties between even floats.
  for (uint64_t i = 0; i < kRandomFloats / 16; i += 4) {
    for (std::string& field : fields) {
      const unsigned tie = 16777217 + 2 * (rng() % 8388608);
      std::snprintf(buf, sizeof buf, " %u.%07ue+007", tie / 10000000, tie % 10000000);
      field = buf;
    }
    ExpectRealLineReadsAsStrtof(fields);
  }
}

// The export's lines with random changes: a line is taken by its columns
// only when the scanner reads the delivered line to the same samples.
TEST(NumberDifferential, ChangedLinesAreTakenOnlyAsTheScannerReadsThem) {
  std::mt19937 rng(20261210);
  const char alphabet[] = " -+0123456789:.eE\t#\rxn";
  size_t taken = 0;
  for (int round = 0; round < 200000; ++round) {
    const bool labelled = round % 2 == 0;
    const SampleType form = round % 4 < 2 ? SampleType::Int16 : SampleType::Real32;
    std::string line = labelled ? Label(rng() % 3000000) : "";
    for (int k = 0; k < SamplesPerLine(form); ++k) {
      char field[32];
      if (form == SampleType::Int16) {
        std::snprintf(field, sizeof field, "%6d", static_cast<int16_t>(rng()));
        line += field;
      } else {
        line += LibraryExp15_7(FromBits(rng()));
      }
      line += k + 1 == SamplesPerLine(form) ? "\n" : "   ";
    }
    const int changes = static_cast<int>(rng() % 3);
    for (int c = 0; c < changes; ++c) line[rng() % line.size()] = alphabet[rng() % (sizeof alphabet - 1)];
    if (rng() % 16 == 0) line.insert(rng() % line.size(), 1, ' ');
    std::string text = line + "\n";
    uint8_t fast[16];
    const CanonicalRun run = TakeCanonicalLines(form, labelled, text.data(), text.size(), 1, fast);
    if (run.lines == 0) continue;
    ++taken;
    ASSERT_EQ(run.bytes, line.size()) << line;
    std::vector<char> delivered = Delivered(line);
    uint8_t reference[16];
    if (form == SampleType::Int16) {
      int16_t values[8];
      ASSERT_TRUE(ScanWordLine(delivered.data(), labelled, 8, values)) << line;
      for (int k = 0; k < 8; ++k) std::memcpy(reference + 2 * k, &values[k], 2);
    } else {
      float values[4];
      ASSERT_TRUE(ScanRealLine(delivered.data(), labelled, 4, values)) << line;
      for (int k = 0; k < 4; ++k) std::memcpy(reference + 4 * k, &values[k], 4);
    }
    ASSERT_EQ(std::memcmp(fast, reference, 16), 0) << line;
  }
  // Unchanged lines are the common case and are taken.
  EXPECT_GT(taken, 50000u);
}

}  // namespace
}  // namespace orvane::testing
