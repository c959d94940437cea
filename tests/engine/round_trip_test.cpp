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
#include "run_checks.h"

namespace orvane::testing {
namespace {

class RandomPulseFiles {
 public:
  explicit RandomPulseFiles(uint32_t seed) : rng_(seed) {}

  PulseFileBuilder Next() {
    PulseFileBuilder b;
    FileHeaderSpec& h = b.header;
    h.desc = Text();
    h.pnam = Text();
    h.pdes = Text();
    h.subs = Word();
    h.fmin = Word();
    h.fmax = Word();
    h.time = Word();
    h.pid = static_cast<uint16_t>(rng_());
    h.unus = static_cast<uint16_t>(rng_());
    h.styp = Word();
    h.ptyp = Word();
    h.mxpr = Real();
    for (auto& rs : h.rs) rs = Word();
    for (uint32_t n = Below(4); n > 0; --n) b.t.push_back(TRecord());
    for (uint32_t n = Below(4); n > 0; --n) b.r.push_back(RRecord());
    for (uint32_t n = Below(4); n > 0; --n) b.i.push_back(IRecord());
    return b;
  }

 private:
  uint32_t Below(uint32_t n) { return rng_() % n; }
  int32_t Word() { return static_cast<int32_t>(rng_()); }
  // Any bits but those of a NaN with a payload, which no text carries.
  float Real() {
    uint32_t bits = rng_();
    if (Below(16) == 0) bits = Below(2) ? 0x7FC00000 : 0xFF800000;
    float f;
    std::memcpy(&f, &bits, sizeof f);
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
  std::vector<int16_t> Words(uint32_t n) {
    std::vector<int16_t> v(n);
    for (auto& s : v) s = static_cast<int16_t>(rng_());
    return v;
  }
  TRecordSpec TRecord() {
    TRecordSpec t;
    t.desc = Text();
    t.chan = rng_();
    t.rate = Real();
    t.offs = Word();
    t.gain = Real();
    t.type = Word();
    t.fhz0 = Real();
    t.fhzN = Real();
    for (auto& rs : t.rs) rs = Word();
    if (Below(8) == 0) {
      t.size =
          Below(2) ? INT32_MIN + static_cast<int32_t>(Below(1000)) : -1 - static_cast<int32_t>(Below(1000));
    } else {
      t.samples = Words(Count());
    }
    return t;
  }
  RRecordSpec RRecord() {
    RRecordSpec r;
    r.desc = Text();
    r.chan = rng_();
    r.rate = Real();
    for (auto& w : r.words) w = Word();
    r.fhz0 = Real();
    r.fhzN = Real();
    for (auto& rs : r.rs) rs = Word();
    r.samples.resize(Count());
    for (auto& s : r.samples) s = Real();
    return r;
  }
  IRecordSpec IRecord() {
    IRecordSpec i;
    i.desc = Text();
    i.chan = rng_();
    i.rate = Real();
    for (auto& rs : i.rs) rs = Word();
    i.samples = Words(Count());
    return i;
  }

  std::mt19937 rng_;
};

// What the C library reads back from the text format writes of f.
float ThroughText(float f, const char* format) {
  char text[128];
  std::snprintf(text, sizeof text, format, static_cast<double>(f));
  return std::strtof(text, nullptr);
}
float ThroughFixed6(float f) { return ThroughText(f, "%f"); }

std::string PaddedText(const std::string& text) {
  return text.size() >= 79 ? text.substr(0, 79) : text + std::string(79 - text.size(), ' ');
}

// The pulse file an import of the export of b builds: records one after
// another in table order, odd sample counts padded, texts padded with
// blanks, reals as their text reads back.
PulseFileBuilder AfterImport(PulseFileBuilder b) {
  FileHeaderSpec& h = b.header;
  h.desc = PaddedText(h.desc);
  h.pnam = PaddedText(h.pnam);
  h.pdes = PaddedText(h.pdes);
  h.mxpr = ThroughFixed6(h.mxpr);
  for (auto& t : b.t) {
    t.desc = PaddedText(t.desc);
    for (float* f : {&t.rate, &t.gain, &t.fhz0, &t.fhzN}) *f = ThroughFixed6(*f);
    if (t.samples.size() % 2 == 1) {
      t.size = static_cast<int32_t>(t.samples.size());
      t.samples.push_back(0);
    }
  }
  for (auto& r : b.r) {
    r.desc = PaddedText(r.desc);
    for (float* f : {&r.rate, &r.fhz0, &r.fhzN}) *f = ThroughFixed6(*f);
    for (float& s : r.samples) s = ThroughText(s, "%.7e");
  }
  for (auto& i : b.i) {
    i.desc = PaddedText(i.desc);
    i.rate = ThroughFixed6(i.rate);
    if (i.samples.size() % 2 == 1) {
      i.size = static_cast<uint32_t>(i.samples.size());
      i.samples.push_back(0);
    }
  }
  return b;
}

std::vector<std::string> TextFileNames(const PulseFileBuilder& b) {
  std::vector<std::string> names = {"data.pfh"};
  for (size_t n = 0; n < b.t.size(); ++n) names.push_back("data.T" + std::to_string(n));
  for (size_t n = 0; n < b.r.size(); ++n) names.push_back("data.R" + std::to_string(n));
  for (size_t n = 0; n < b.i.size(); ++n) names.push_back("data.I" + std::to_string(n));
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
    for (size_t at :
         {file_header::kMagic, file_header::kSubs, file_header::kFmin, file_header::kFmax, file_header::kTime,
          file_header::kStyp, file_header::kPtyp, file_header::kTcnt, file_header::kRcnt, file_header::kIcnt})
      EXPECT_EQ(GetU32(parsed->header, at), GetU32(original->header, at)) << at;
    EXPECT_EQ(GetU16(parsed->header, file_header::kPid), GetU16(original->header, file_header::kPid));
    EXPECT_EQ(GetU16(parsed->header, file_header::kUnus), GetU16(original->header, file_header::kUnus));
    for (size_t n = 0; n < b.t.size(); ++n) {
      for (size_t at : {80, 88, 96, 100, 112, 116, 120, 124, 128, 132})
        EXPECT_EQ(GetU32(parsed->t[n].header, at), GetU32(original->t[n].header, at))
            << "T" << n << " @" << at;
      EXPECT_EQ(parsed->t[n].samples, original->t[n].samples) << "T" << n;
    }
    // Every word of the R and I record headers but the reals at 84, 120, 124.
    for (size_t n = 0; n < b.r.size(); ++n) {
      for (size_t at = 80; at < 152; at += 4) {
        if (at == 84 || at == 120 || at == 124) continue;
        EXPECT_EQ(GetU32(parsed->r[n].header, at), GetU32(original->r[n].header, at))
            << "R" << n << " @" << at;
      }
    }
    for (size_t n = 0; n < b.i.size(); ++n) {
      for (size_t at = 80; at < 124; at += 4) {
        if (at == 84) continue;
        EXPECT_EQ(GetU32(parsed->i[n].header, at), GetU32(original->i[n].header, at))
            << "I" << n << " @" << at;
      }
      EXPECT_EQ(parsed->i[n].samples, original->i[n].samples) << "I" << n;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, RoundTrip, ::testing::Bool(),
                         [](const auto& param) { return param.param ? "Labelled" : "Bare"; });

}  // namespace
}  // namespace orvane::testing
