// Random pulse files through export and import, in both layouts: integer
// fields and 16-bit samples come back exactly, reals as the C library reads
// their text, descriptions padded or cut to 79 characters; from the second
// export on, the text no longer changes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "orvane/pulse_file.h"
#include "pulse_file_builder.h"
#include "text_lines.h"

namespace orvane::testing {
namespace {

class RandomPulseFiles {
 public:
  explicit RandomPulseFiles(uint32_t seed) : rng_(seed) {}

  PulseFileBuilder Next() {
    PulseFileBuilder b;
    Fill(b.header);
    b.header.Int("MAGC", format::kMagic);
    for (RecordType type : {RecordType::T, RecordType::R, RecordType::I})
      for (uint32_t n = Below(4); n > 0; --n) b.records.push_back(Record(type));
    return b;
  }

 private:
  uint32_t Below(uint32_t n) { return rng_() % n; }
  // Any bits but those of a NaN with a payload, which no text carries.
  float Real() {
    float f = FromBits(rng_());
    if (Below(16) == 0) f = FromBits(Below(2) ? 0x7FC00000 : 0xFF800000);
    return std::isnan(f) ? std::copysign(std::numeric_limits<float>::quiet_NaN(), f) : f;
  }
  // Printable text without '#', of the lengths that matter most.
  std::string Text() {
    static const size_t kLengths[] = {0, 3, 79, 80};
    size_t length = Below(5) < 4 ? kLengths[Below(4)] : Below(81);
    std::string s;
    for (size_t k = 0; k < length; ++k) {
      char c = static_cast<char>(' ' + Below(95));
      s += c == '#' ? '+' : c;
    }
    return s;
  }
  // Every field of a header by its type.
  void Fill(HeaderFields& header) {
    for (const FieldDescription& field : header.Description().fields) {
      if (field.type == FieldType::Text80)
        header.Text(field.label, Text());
      else if (field.type == FieldType::Real32)
        header.Real(field.label, Real());
      else
        header.Int(field.label, rng_());
    }
  }
  // A sample count: none, odd, multiples of 8 and of 4, small, large.
  uint32_t Count() {
    switch (Below(8)) {
      case 0: return 0;
      case 1: return 1 + 2 * Below(40);
      case 2: return 8 * (1 + Below(10));
      case 3: return 4 * (1 + Below(20));
      case 4: return 1 + Below(7);
      case 5: return Below(20) == 0 ? 20000 + Below(40000) : Below(300);
      default: return Below(64);
    }
  }
  BuiltRecord Record(RecordType type) {
    BuiltRecord record(type);
    Fill(record.header);
    // A T record may have a SIZE of zero or less: none.
    if (type == RecordType::T && Below(8) == 0) {
      record.size =
          Below(2) ? INT32_MIN + static_cast<int32_t>(Below(1000)) : -1 - static_cast<int32_t>(Below(1000));
      return record;
    }
    const uint32_t count = Count();
    for (uint32_t k = 0; k < count; ++k) {
      std::string sample(record.Kind().sampleBytes, '\0');
      if (type == RecordType::R)
        StoreF32(BytesAt(sample, 0), Real());
      else
        PutU16(sample, 0, static_cast<uint16_t>(rng_()));
      record.samples += sample;
    }
    return record;
  }

  std::mt19937 rng_;
};

// What the C library reads back from the text format writes of f.
float ThroughText(float f, const char* format) {
  char text[128];
  std::snprintf(text, sizeof text, format, static_cast<double>(f));
  return std::strtof(text, nullptr);
}

// Text fields padded with blanks or cut to 79 characters, header reals as
// "%f" gives them back.
void AsImported(HeaderFields& header) {
  for (const FieldDescription& field : header.Description().fields) {
    if (field.type == FieldType::Text80) {
      const std::string text = header.TextOf(field.label);
      header.Text(field.label,
                  text.size() >= 79 ? text.substr(0, 79) : text + std::string(79 - text.size(), ' '));
    } else if (field.type == FieldType::Real32) {
      header.Real(field.label, ThroughText(header.RealOf(field.label), "%f"));
    }
  }
}

// The pulse file an import of the export of b builds: records one after
// another in table order, odd sample counts padded, texts padded with
// blanks, reals as their text reads back.
PulseFileBuilder AfterImport(PulseFileBuilder b) {
  AsImported(b.header);
  for (BuiltRecord& record : b.records) {
    AsImported(record.header);
    if (record.type != RecordType::R) continue;
    for (size_t at = 0; at < record.samples.size(); at += 4)
      StoreF32(BytesAt(record.samples, at), ThroughText(GetF32(record.samples, at), "%.7e"));
  }
  return b;
}

std::vector<std::string> TextFileNames(const PulseFileBuilder& b) {
  std::vector<std::string> names = {"data.pfh"};
  uint32_t next[3] = {0, 0, 0};
  for (const BuiltRecord& record : b.records)
    names.push_back("data." + std::string(1, record.Kind().letter) +
                    std::to_string(next[static_cast<size_t>(record.type)]++));
  return names;
}

class RoundTrip : public ::testing::TestWithParam<bool> {
 protected:
  void Convert(bool toAscii) {
    RecordedConverter run;
    run.threads = threads_;
    run.Convert(scratch / "data", toAscii, GetParam());
    ASSERT_EQ(run.trace.lines.back(), "status: conversion complete") << run.trace.Joined();
  }
  std::vector<std::string> Texts(const PulseFileBuilder& b) {
    std::vector<std::string> texts;
    for (const auto& name : TextFileNames(b)) texts.push_back(ReadFile(scratch / name));
    return texts;
  }

  // export, import, export, import, export.
  void Check(const PulseFileBuilder& original) {
    for (const auto& name : scratch.Files()) fs::remove(scratch.path() / name);
    original.WriteSealed(scratch / "data.spf");
    ASSERT_NO_FATAL_FAILURE(Convert(true));
    ASSERT_NO_FATAL_FAILURE(Convert(false));
    ASSERT_EQ(ValidatePulseFile(scratch / "data.spf"), 1);
    ASSERT_EQ(ReadFile(scratch / "data.spf"), AfterImport(original).Sealed());

    ASSERT_NO_FATAL_FAILURE(Convert(true));
    const std::vector<std::string> second = Texts(original);
    ASSERT_NO_FATAL_FAILURE(Convert(false));
    ASSERT_EQ(ValidatePulseFile(scratch / "data.spf"), 1);
    ASSERT_NO_FATAL_FAILURE(Convert(true));
    ASSERT_EQ(Texts(original), second);

    std::vector<std::string> expectedFiles = TextFileNames(original);
    expectedFiles.push_back("data.spf");
    std::sort(expectedFiles.begin(), expectedFiles.end());
    ASSERT_EQ(scratch.Files(), expectedFiles);
  }
  ScratchDir scratch;
  unsigned threads_ = 1;
};

TEST_P(RoundTrip, RandomPulseFilesComeBackAsTheirTextSays) {
  RandomPulseFiles files(GetParam() ? 20261208 : 8021626);
  for (int k = 0; k < 120; ++k) {
    const PulseFileBuilder b = files.Next();
    // Records are converted on one thread or on several, by turns.
    threads_ = k % 2 == 0 ? 1 : 4;
    SCOPED_TRACE("random file " + std::to_string(k) + ", threads " + std::to_string(threads_));
    ASSERT_NO_FATAL_FAILURE(Check(b));
  }
}

TEST_P(RoundTrip, EveryIntegerFieldAndSixteenBitSampleSurvivesExactly) {
  // Checked separately from the whole-file comparison so that a failure
  // names the field.
  RandomPulseFiles files(GetParam() ? 77 : 78);
  for (int k = 0; k < 20; ++k) {
    const PulseFileBuilder b = files.Next();
    for (const auto& name : scratch.Files()) fs::remove(scratch.path() / name);
    b.WriteSealed(scratch / "data.spf");
    ASSERT_NO_FATAL_FAILURE(Convert(true));
    ASSERT_NO_FATAL_FAILURE(Convert(false));
    auto parsed = ParsePulseFile(ReadFile(scratch / "data.spf"));
    ASSERT_TRUE(parsed);
    auto original = ParsePulseFile(b.Sealed());
    ASSERT_TRUE(original);
    ASSERT_EQ(parsed->records.size(), original->records.size());
    // Every integer field of every header, and the 16-bit samples.
    auto expectSameIntegers = [](const HeaderFields& now, const HeaderFields& was, const std::string& what) {
      for (const FieldDescription& field : was.Description().fields)
        if (field.type != FieldType::Text80 && field.type != FieldType::Real32) {
          EXPECT_EQ(now.IntOf(field.label), was.IntOf(field.label)) << what << " " << field.label;
        }
    };
    expectSameIntegers(parsed->header, original->header, "file header");
    for (size_t n = 0; n < original->records.size(); ++n) {
      const ParsedRecord& record = original->records[n];
      const std::string what = "record " + std::to_string(n);
      expectSameIntegers(parsed->records[n].header, record.header, what);
      if (record.type != RecordType::R) {
        EXPECT_EQ(parsed->records[n].samples, record.samples) << what;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, RoundTrip, ::testing::Bool(),
                         [](const auto& param) { return param.param ? "Labelled" : "Bare"; });

}  // namespace
}  // namespace orvane::testing
