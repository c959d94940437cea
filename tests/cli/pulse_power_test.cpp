// Pulse power through the engine: what "Get Pulse Power" shows, what "Set"
// writes, and how the file stays valid after every record.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "orvane/convert.h"
#include "orvane/pulse_file.h"
#include "pulse_power_files.h"
#include "test_support.h"

namespace orvane::testing {
namespace {

class PulsePower : public ::testing::Test {
 protected:
  std::string Place(const std::string& bytes, const std::string& name = "data.spf") {
    WriteFile(dir / name, bytes);
    return dir / name;
  }
  std::optional<std::string> Get(const std::string& name) {
    RecordedConverter run;
    auto text = run.GetPulsePower(name);
    trace = run.trace.lines;
    failed = run.RunFailed();
    return text;
  }
  void Set(const std::string& name, const std::string& text) {
    RecordedConverter run;
    run.SetPulsePower(name, text);
    trace = run.trace.lines;
    failed = run.RunFailed();
  }
  // The trace of a Set that wrote and sealed `records` records.
  static std::vector<std::string> SealedRecords(size_t records) {
    std::vector<std::string> lines;
    for (size_t i = 0; i < records; ++i) {
      lines.push_back("progress: 0");
      lines.push_back("status: conversion complete");
    }
    return lines;
  }

  ScratchDir dir;
  std::vector<std::string> trace;
  bool failed = false;
};

TEST_F(PulsePower, GetShowsEveryGainInHundredthsEachFollowedByABlank) {
  auto path = Place(PowerFile({{0.5f, -0.2f, 1.0f}}));
  EXPECT_EQ(Get(path), "50 -20 100 ");
  EXPECT_TRUE(trace.empty());
}

TEST_F(PulsePower, GetRoundsToTheNearestHundredthWithHalvesRoundingUp) {
  auto path = Place(PowerFile({{-0.375f, -0.125f, 0.125f, 0.004f, -0.006f}}));
  EXPECT_EQ(Get(path), "-37 -12 13 0 -1 ");
}

TEST_F(PulsePower, GetShowsGainsNoWholeNumberOfHundredthsCanHoldAsTheNearestThatCan) {
  auto path = Place(PowerFile({{3e37f, -3e37f, 123.456f}}));
  EXPECT_EQ(Get(path), "2147483647 -2147483648 12346 ");
}

// A GAIN without whole hundredths an int holds still gets a value, so that
// the values keep their places, and a warning that says so; the run itself
// succeeds. Hundredths that fit, to the last one, warn of nothing.
TEST_F(PulsePower, GetWarnsOfEveryGainWithoutAPulsePowerAndStillSucceeds) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  auto path = Place(PowerFile(
      {{0.5f, nan, inf, -inf, 1e30f, 21474836.0f, 21474838.0f, -21474836.0f, -21474838.0f, -0.125f}}));
  TraceRecorder recorder;
  const PowerReading reading = GetPulsePower(path, recorder);
  EXPECT_TRUE(reading.outcome.ok());
  EXPECT_TRUE(recorder.lines.empty());
  EXPECT_EQ(reading.text,
            "50 0 2147483647 -2147483648 2147483647 2147483600 2147483647 -2147483600 -2147483648 -12 ");
  std::vector<std::string> warned;
  for (const PowerWarning& warning : reading.warnings) {
    warned.push_back(warning.record + ": " + warning.text);
    const size_t n = std::stoul(warning.record.substr(1));
    EXPECT_EQ(warning.shown, reading.powers.at(n)) << warning.record;
  }
  EXPECT_EQ(warned, (std::vector<std::string>{
                        "T1: GAIN nan has no pulse power; shown as 0",
                        "T2: GAIN inf has no pulse power; shown as 2147483647",
                        "T3: GAIN -inf has no pulse power; shown as -2147483648",
                        "T4: GAIN 1e+30 has no pulse power; shown as 2147483647",
                        "T6: GAIN 21474838 has no pulse power; shown as 2147483647",
                        "T8: GAIN -21474838 has no pulse power; shown as -2147483648",
                    }));
  ASSERT_EQ(reading.warnings.size(), 6u);
  EXPECT_TRUE(std::isnan(reading.warnings[0].gain));
  EXPECT_EQ(reading.warnings[4].gain, 21474838.0f);
}

TEST_F(PulsePower, SetThenGetGivesTheValueBack) {
  auto path = Place(PowerFile({{0.5f, -0.2f, 1.0f}}));
  Set(path, "-37");
  EXPECT_EQ(trace, SealedRecords(1));
  EXPECT_EQ(Get(path), "-37 -20 100 ");
}

TEST_F(PulsePower, SetClampsEveryValueToMinus100To100) {
  auto path = Place(PowerFile({{0.5f, -0.2f, 1.0f}}));
  Set(path, "150 -150 99999999999999999999999");
  EXPECT_EQ(Get(path), "100 -100 100 ");
}

TEST_F(PulsePower, SetGrowsTheFileByOneWordPerRecordAndLeavesItValid) {
  const std::string original = PowerFile({{0.1f, 0.2f, 0.3f, 0.4f, 0.5f}});
  auto path = Place(original);
  Set(path, "50");
  EXPECT_EQ(ReadFile(path).size(), original.size() + 2);
  EXPECT_EQ(Get(path), "50 20 30 40 50 ");
  Set(path, "1 2 3 4 5");
  EXPECT_EQ(trace, SealedRecords(5));
  EXPECT_EQ(ReadFile(path).size(), original.size() + 12);
  EXPECT_EQ(ValidatePulseFile(path), 1);
  EXPECT_EQ(Get(path), "1 2 3 4 5 ");
}

TEST_F(PulsePower, SetIgnoresValuesBeyondTheLastTRecord) {
  const std::string original = PowerFile({{0.5f, -0.2f}});
  auto path = Place(original);
  Set(path, "1 2 3 4 5");
  EXPECT_EQ(trace, SealedRecords(2));
  EXPECT_EQ(ReadFile(path).size(), original.size() + 4);
  EXPECT_EQ(Get(path), "1 2 ");
}

TEST_F(PulsePower, EveryTRecordCanBeSetAndShownHoweverManyThereAre) {
  std::vector<float> gains(100, 0.0f);
  auto path = Place(PowerFile({gains}));
  std::string text;
  for (int i = 0; i < 100; ++i) text += std::to_string(-100 + i % 3) + " ";
  Set(path, text);
  EXPECT_EQ(trace, SealedRecords(100));
  auto shown = Get(path);
  ASSERT_TRUE(shown);
  EXPECT_GT(shown->size(), 399u);
  EXPECT_EQ(*shown, text);
}

TEST_F(PulsePower, AFileWithoutTRecordsShowsNothingAndSetChangesNothing) {
  const std::string original = PowerFile({{}, 0, 2, 2});
  auto path = Place(original);
  EXPECT_EQ(Get(path), "");
  Set(path, "5 6");
  EXPECT_TRUE(trace.empty());
  EXPECT_FALSE(failed);
  EXPECT_EQ(ReadFile(path), original);
}

TEST_F(PulsePower, TheRRecordsOfAFileAreLeftAlone) {
  const std::string original = PowerFile({{0.5f}, 0, 4, 2});
  auto path = Place(original);
  Set(path, "7 8 9");
  const std::string now = ReadFile(path);
  EXPECT_EQ(now.size(), original.size() + 2);
  const size_t rStart = LoadU32(reinterpret_cast<const uint8_t*>(original.data()) + 320);
  EXPECT_EQ(now.substr(rStart, original.size() - 2 - rStart),
            original.substr(rStart, original.size() - 2 - rStart));
  EXPECT_EQ(Get(path), "7 ");
}

TEST_F(PulsePower, AHeaderTextNameWorksOnThePulseFileOfTheSameBaseName) {
  auto path = Place(PowerFile({{0.5f}}));
  const std::string pfh = DeriveBaseName(path) + ".pfh";
  EXPECT_EQ(Get(pfh), "50 ");
  Set(pfh, "12");
  EXPECT_EQ(Get(path), "12 ");
  EXPECT_FALSE(io::FileExists(pfh));
}

TEST_F(PulsePower, ACapitalSuffixIsNotCut) {
  Place(PowerFile({{0.5f}}));
  const std::string upper = Place(PowerFile({{0.25f}}), "data.SPF.spf");
  EXPECT_EQ(Get(dir / "data.SPF"), "25 ");
  Set(dir / "data.SPF", "-3");
  EXPECT_EQ(Get(upper), "-3 ");
  EXPECT_EQ(Get(dir / "data"), "50 ");
}

TEST_F(PulsePower, AnEmptyFileNameIsRequiredToBeGiven) {
  EXPECT_EQ(Get(""), std::nullopt);
  EXPECT_EQ(trace, std::vector<std::string>{"status: File name required"});
  Set("", "5");
  EXPECT_EQ(trace, std::vector<std::string>{"status: File name required"});
}

TEST_F(PulsePower, AMissingOrInvalidPulseFileIsReportedAndLeftAlone) {
  std::string badSum = PowerFile({{0.5f}});
  badSum[400] ^= 1;
  std::string badMagic = PowerFile({{0.5f}});
  badMagic[0] = 'X';
  for (const auto& [name, bytes] :
       {std::pair{"sum", badSum}, {"magic", badMagic}, {"short", std::string("S")}}) {
    const std::string path = Place(bytes, std::string(name) + ".spf");
    const std::vector<std::string> expected = {"status: Not a valid pulse file: " + path};
    EXPECT_EQ(Get(path), std::nullopt) << name;
    EXPECT_EQ(trace, expected) << name;
    Set(path, "10");
    EXPECT_EQ(trace, expected) << name;
    EXPECT_TRUE(failed);
    EXPECT_EQ(ReadFile(path), bytes) << name;
  }
  EXPECT_EQ(Get(dir / "missing"), std::nullopt);
  EXPECT_EQ(trace, std::vector<std::string>{"status: Not a valid pulse file: " + dir / "missing.spf"});
  EXPECT_FALSE(io::FileExists(dir / "missing.spf"));
}

TEST_F(PulsePower, AnythingButIntegersSeparatedByWhiteSpaceIsRefusedWhole) {
  const std::string original = PowerFile({{0.5f, -0.2f, 1.0f}});
  auto path = Place(original);
  const std::pair<const char*, const char*> cases[] = {
      {"10.5 20", "10.5"}, {"10-20", "10-20"}, {"5 x 7", "x"}, {"1 2 3,", "3,"},
      {"- 4", "-"},        {"0x10", "0x10"},   {"+-3", "+-3"},
  };
  for (const auto& [text, bad] : cases) {
    Set(path, text);
    EXPECT_EQ(trace, std::vector<std::string>{std::string("status: Invalid pulse power value: ") + bad})
        << text;
    EXPECT_TRUE(failed);
    EXPECT_EQ(ReadFile(path), original) << text;
  }
}

TEST_F(PulsePower, SignsLeadingZerosAndAnyWhiteSpaceAreIntegersToo) {
  auto path = Place(PowerFile({{0.5f, -0.2f, 1.0f, 0.0f}}));
  Set(path, "\t+7\n-008 \r\v\f0  -0 ");
  EXPECT_EQ(trace, SealedRecords(4));
  EXPECT_EQ(Get(path), "7 -8 0 0 ");
}

TEST_F(PulsePower, ABlankTextChangesNothingAndShowsNoMessage) {
  const std::string original = PowerFile({{0.5f}});
  auto path = Place(original);
  for (const char* text : {"", "   ", "\n\t "}) {
    Set(path, text);
    EXPECT_TRUE(trace.empty());
    EXPECT_FALSE(failed);
    EXPECT_EQ(ReadFile(path), original);
  }
}

// The file a Set must give: each record written in place and the file
// sealed after it, one record after the other.
std::string ByWriteAndSeal(const std::string& path, const std::vector<int>& powers) {
  SilentReporter silent;
  for (uint32_t n = 0; n < powers.size(); ++n) {
    auto record = ReadRecordHeader(path, n);
    if (!record) break;
    record->SetGain(static_cast<float>(std::clamp(powers[n], -100, 100) / 100.0));
    EXPECT_EQ(WriteRecordHeader(path, n, *record), 1);
    SealPulseFile(DeriveBaseName(path), silent);
    EXPECT_EQ(ValidatePulseFile(path), 1);
  }
  return ReadFile(path);
}

struct Placement {
  const char* name;
  std::string bytes;
};

class PulsePowerPlacement : public PulsePower, public ::testing::WithParamInterface<Placement> {};

TEST_P(PulsePowerPlacement, SetGivesTheFileOfWritingAndSealingEachRecord) {
  const std::vector<int> powers = {50, -20, 100, 7, -150};
  const std::string expected = ByWriteAndSeal(Place(GetParam().bytes, "reference.spf"), powers);
  auto path = Place(GetParam().bytes);
  std::string text;
  for (int p : powers) text += std::to_string(p) + " ";
  Set(path, text);
  EXPECT_FALSE(failed);
  EXPECT_EQ(ReadFile(path), expected);
  EXPECT_EQ(ValidatePulseFile(path), 1);
}

std::string OddLength() { return PowerFile({{0.1f, 0.2f, 0.3f}, 1, 2}) + "\x7f"; }

INSTANTIATE_TEST_SUITE_P(
    Layouts, PulsePowerPlacement,
    ::testing::Values(Placement{"EvenOffsets", PowerFile({{0.1f, 0.2f, 0.3f}, 0, 2})},
                      Placement{"OddOffsets", PowerFile({{0.1f, 0.2f, 0.3f, 0.4f}, 1, 3})},
                      Placement{"OddLength", OddLength()},
                      Placement{"OddLengthEndingInAHeader", PowerFileEndingInAHeader({0.1f, 0.2f, 0.3f})}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST_F(PulsePower, TheTestFileEndingInAHeaderIsValidAndOfOddLength) {
  const std::string bytes = PowerFileEndingInAHeader({0.1f, 0.2f, 0.3f});
  auto path = Place(bytes);
  EXPECT_EQ(bytes.size() % 2, 1u);
  EXPECT_EQ(ValidatePulseFile(path), 1);
  EXPECT_EQ(Get(path), "10 20 30 ");
}

TEST_F(PulsePower, AnOddLengthFileGrowsByAPadByteAndAWordThenByWords) {
  const std::string original = OddLength();
  auto path = Place(original);
  Set(path, "1 2 3");
  EXPECT_EQ(ReadFile(path).size(), original.size() + 1 + 6);
  EXPECT_EQ(ValidatePulseFile(path), 1);
}

// Points the offset table entry of T record n at position.
std::string WithEntry(std::string bytes, uint32_t n, uint32_t position) {
  StoreU32(reinterpret_cast<uint8_t*>(bytes.data() + format::EntryPosition(n)), position);
  return bytes;
}

// Pulse power decides what a valid pulse file is by the same structure check
// as check, info and the export: a record outside the file refuses it whole.
TEST_F(PulsePower, ARecordHeaderOutsideTheFileRefusesTheFileAndWritesNothing) {
  PowerFileLayout layout{{0.5f, -0.2f, 1.0f}};
  const std::string unsealed = UnsealedPowerFile(layout);
  const std::string original =
      SealedBytes(WithEntry(unsealed, 1, static_cast<uint32_t>(unsealed.size() - 100)));
  auto path = Place(original);
  EXPECT_EQ(Get(path), std::nullopt);
  EXPECT_EQ(trace, std::vector<std::string>{"status: Not a valid pulse file: " + path});
  EXPECT_TRUE(failed);
  Set(path, "1 2 3");
  EXPECT_EQ(trace, std::vector<std::string>{"status: Not a valid pulse file: " + path});
  EXPECT_TRUE(failed);
  EXPECT_EQ(ReadFile(path), original);
}

TEST_F(PulsePower, RecordsThatShareAHeaderSeeEachOthersWrites) {
  PowerFileLayout layout{{0.5f, -0.2f}};
  const std::string unsealed = UnsealedPowerFile(layout);
  const uint32_t first = LoadU32(reinterpret_cast<const uint8_t*>(unsealed.data()) + 316);
  auto path = Place(SealedBytes(WithEntry(unsealed, 1, first)));
  Set(path, "30 40");
  EXPECT_EQ(trace, SealedRecords(2));
  EXPECT_EQ(ValidatePulseFile(path), 1);
  EXPECT_EQ(Get(path), "40 40 ");
}

}  // namespace
}  // namespace orvane::testing
