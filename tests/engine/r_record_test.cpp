// R records both ways: header lines, sample lines of reals written with a
// three-digit exponent, the index rules and the channel word.
#include <cmath>
#include <limits>

#include "record_fixture.h"

namespace orvane::testing {
namespace {

RRecordSpec SimpleR(std::vector<float> samples) {
  RRecordSpec r;
  r.desc = "are";
  r.chan = 9;
  r.rate = 2.5f;
  r.words = {-1, 2, -3, 4, -5, 6, -7};
  r.fhz0 = 0.125f;
  r.fhzN = -8;
  r.rs = {10, 11, 12, 13, 14, 15};
  r.samples = std::move(samples);
  return r;
}

std::string SimpleRHeaderLines(bool labelled, const std::string& size) {
  return HeaderLines(kRLabels,
                     {"are", "9", "2.500000", "-1", "2", "-3", "4", "-5", "6", "-7", size, "0.125000",
                      "-8.000000", "10", "11", "12", "13", "14", "15"},
                     labelled);
}

PulseFileBuilder WithR(std::vector<RRecordSpec> records) {
  PulseFileBuilder b;
  b.r = std::move(records);
  return b;
}

std::string SampleBytes(const std::vector<float>& samples) { return SimpleR(samples).Bytes().substr(152); }

using RRecord = RecordTest;
using RRecordLabelled = RecordTest;  // cases of the labelled layout only

TEST_P(RRecord, SizeZeroIsHeaderLinesAndOneEmptyLine) {
  const std::string text = SimpleRHeaderLines(Labelled(), "0") + "\n";
  EXPECT_EQ(ExportedText(WithR({SimpleR({})}), ".R0"), text);
  EXPECT_EQ(Statuses(Import(0, 1, 0, {{".R0", text}})), std::vector<std::string>{"conversion complete"});
  EXPECT_EQ(RecordBytes(1), 152u);
  RRecordSpec expected = SimpleR({});
  expected.desc = "are" + std::string(76, ' ');
  EXPECT_EQ(Imported().r.at(0).header, expected.Bytes());
}

TEST_P(RRecord, SixSamplesAreTwoLinesTheSecondEndingInBlanks) {
  const std::vector<float> samples = {1, 2, 3, 4, -1.5f, 6};
  const std::string values =
      Labelled() ? "     0:   1.0000000e+000    2.0000000e+000    3.0000000e+000    4.0000000e+000\n"
                   "     4:  -1.5000000e+000    6.0000000e+000   \n"
                 : " 1.0000000e+000    2.0000000e+000    3.0000000e+000    4.0000000e+000\n"
                   "-1.5000000e+000    6.0000000e+000   \n";
  const std::string text = SimpleRHeaderLines(Labelled(), "6") + values;
  EXPECT_EQ(ExportedText(WithR({SimpleR(samples)}), ".R0"), text);
  EXPECT_EQ(LastStatus(Import(0, 1, 0, {{".R0", text}})), "conversion complete");
  EXPECT_EQ(RecordBytes(1), 152u + 24);
  EXPECT_EQ(Imported().r.at(0).samples, SampleBytes(samples));
}

TEST_P(RRecord, EightSamplesAreTwoFullLinesAndAnEmptyLine) {
  const std::vector<float> samples = {0,    -0.0f, 1e-10f, 123456.78f, -3.4028235e38f, 1.17549435e-38f,
                                      0.1f, 10};
  const std::string text = ExportedText(WithR({SimpleR(samples)}), ".R0");
  const std::string values =
      Labelled() ? "     0:   0.0000000e+000   -0.0000000e+000    1.0000000e-010    1.2345678e+005\n"
                   "     4:  -3.4028235e+038    1.1754944e-038    1.0000000e-001    1.0000000e+001\n\n"
                 : " 0.0000000e+000   -0.0000000e+000    1.0000000e-010    1.2345678e+005\n"
                   "-3.4028235e+038    1.1754944e-038    1.0000000e-001    1.0000000e+001\n\n";
  EXPECT_EQ(text, SimpleRHeaderLines(Labelled(), "8") + values);
  EXPECT_EQ(LastStatus(ImportExisting()), "conversion complete");
  EXPECT_EQ(RecordBytes(1), 152u + 32);
}

TEST_P(RRecord, FullLinesHaveTheirFixedLength) {
  std::vector<float> samples;
  for (int k = 0; k < 12; ++k)
    samples.push_back(k % 2 ? -1.0f / static_cast<float>(k) : 7.0f * static_cast<float>(k));
  const std::vector<std::string> lines = SplitLines(ExportedText(WithR({SimpleR(samples)}), ".R0"));
  ASSERT_EQ(lines.size(), 19u + 3 + 1);
  for (size_t k = 19; k < 22; ++k) EXPECT_EQ(lines[k].size(), Labelled() ? 78u : 69u) << k;
  EXPECT_EQ(lines.back(), "");
}

TEST_P(RRecord, InfinityAndNanComeBackAsWritten) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const std::vector<float> samples = {inf, -inf, nan, 1};
  const std::string text = ExportedText(WithR({SimpleR(samples)}), ".R0");
  auto in15 = [](const std::string& v) { return std::string(15 - v.size(), ' ') + v; };
  const std::string values = (Labelled() ? "     0:  " : "") + in15("inf") + "   " + in15("-inf") + "   " +
                             in15("nan") + "   " + in15("1.0000000e+000") + "\n\n";
  EXPECT_EQ(text.substr(text.size() - values.size()), values);
  EXPECT_EQ(LastStatus(ImportExisting()), "conversion complete");
  const std::string back = Imported().r.at(0).samples;
  EXPECT_EQ(GetF32(back, 0), inf);
  EXPECT_EQ(GetF32(back, 4), -inf);
  EXPECT_TRUE(std::isnan(GetF32(back, 8)));
  EXPECT_FALSE(std::signbit(GetF32(back, 8)));
  EXPECT_EQ(GetF32(back, 12), 1.0f);
  // Written once more, the text is the same.
  EXPECT_EQ(LastStatus(ExportExisting()), "conversion complete");
  EXPECT_EQ(ReadFile(Named(".R0")).substr(ReadFile(Named(".R0")).size() - values.size()), values);
}

TEST_P(RRecord, SamplesComeBackAsTheNearestFloatToEightDigits) {
  const std::vector<float> samples = {0.1f,   16777217.0f, 3.14159274f,    1.00000012f,
                                      7e-45f, -2.5e38f,    9.99999999e-3f, 1234.5677f};
  Export(WithR({SimpleR(samples)}));
  EXPECT_EQ(LastStatus(ImportExisting()), "conversion complete");
  const std::string back = Imported().r.at(0).samples;
  for (size_t k = 0; k < samples.size(); ++k) {
    char text[64];
    std::snprintf(text, sizeof text, "%.7e", static_cast<double>(samples[k]));
    EXPECT_EQ(FloatBits(GetF32(back, 4 * k)), FloatBits(std::strtof(text, nullptr))) << text;
  }
}

TEST_P(RRecord, ChannelWordOfAllOnesIsMinusOneInBothLayouts) {
  RRecordSpec r = SimpleR({});
  r.chan = 0xFFFFFFFF;
  const std::vector<std::string> lines = SplitLines(ExportedText(WithR({r}), ".R0"));
  EXPECT_EQ(lines.at(1), Label("CHAN: ") + "-1");
  EXPECT_EQ(LastStatus(ImportExisting()), "conversion complete");
  EXPECT_EQ(GetU32(Imported().r.at(0).header, 80), 0xFFFFFFFFu);
}

TEST_P(RRecord, SizeIsCountedUnsignedAndWrittenSigned) {
  keepPartial = true;  // what the failed record got is put in place
  RRecordSpec r = SimpleR({1.0f});
  r.size = -1;  // 2^32 - 1 samples for the export, none for the import
  TraceRecorder trace = Export(WithR({r}));
  EXPECT_EQ(LastStatus(trace), "Binary read error");
  const std::vector<std::string> lines = SplitLines(ReadFile(Named(".R0")));
  EXPECT_EQ(lines.at(10), Label("SIZE: ") + "-1");
  EXPECT_EQ(lines.at(19), Label("     0:  ") + " 1.0000000e+000   ");
  EXPECT_EQ(LastStatus(ImportExisting()), "conversion complete");
  EXPECT_EQ(RecordBytes(1), 152u);
}

TEST_P(RRecord, TinyRateExportsAsZero) {
  RRecordSpec r = SimpleR({});
  r.rate = 0.0000001f;
  EXPECT_EQ(SplitLines(ExportedText(WithR({r}), ".R0")).at(2), Label("RATE: ") + "0.000000");
  EXPECT_EQ(LastStatus(ImportExisting()), "conversion complete");
  EXPECT_EQ(GetF32(Imported().r.at(0).header, 84), 0.0f);
}

TEST_P(RRecordLabelled, LabelledIndexOfUpToSixDigitsIsIgnored) {
  const std::string header = SimpleRHeaderLines(true, "5");
  const std::string text = header + "999999: 1 2 3 4\n  -12:5\n";
  EXPECT_EQ(LastStatus(Import(0, 1, 0, {{".R0", text}})), "conversion complete");
  EXPECT_EQ(Imported().r.at(0).samples, SampleBytes({1, 2, 3, 4, 5}));
}

// The export writes seven-digit indices from sample 1000000 on; they read
// back like any other index.
TEST_P(RRecordLabelled, LabelledIndexOfSevenDigitsIsRead) {
  const std::string text = SimpleRHeaderLines(true, "5") + "     0: 1 2 3 4\n1000000: 5\n";
  EXPECT_EQ(LastStatus(Import(0, 1, 0, {{".R0", text}})), "conversion complete");
  EXPECT_EQ(Imported().r.at(0).samples, SampleBytes({1, 2, 3, 4, 5}));
}

TEST_P(RRecordLabelled, LabelledIndexWithoutDigitsFailsTheLine) {
  const std::string text = SimpleRHeaderLines(true, "5") + "     0: 1 2 3 4\n: 5\n";
  ExpectFailedImport(ImportOverOld(0, 1, 0, {{".R0", text}}),
                     "ASCII read error on " + Named(".R0") + " line 21");
}

TEST_P(RRecordLabelled, LabelledIndexWithoutColonFailsTheLine) {
  const std::string text = SimpleRHeaderLines(true, "4") + "     0 1 2 3 4\n";
  ExpectFailedImport(ImportOverOld(0, 1, 0, {{".R0", text}}),
                     "ASCII read error on " + Named(".R0") + " line 20");
}

TEST_P(RRecord, RemarksAndSurplusValuesAreIgnored) {
  const std::string prefix = Labelled() ? "0: " : "";
  const std::string text = SimpleRHeaderLines(Labelled(), "6") + prefix + "1 2 3 4 # four values\n" + prefix +
                           "5e0 6E+00 7 8 9\n" + prefix + "10\n";
  EXPECT_EQ(LastStatus(Import(0, 1, 0, {{".R0", text}})), "conversion complete");
  EXPECT_EQ(Imported().r.at(0).samples, SampleBytes({1, 2, 3, 4, 5, 6}));
}

TEST_P(RRecord, FullLineWithThreeValuesFailsTheRecord) {
  const std::string prefix = Labelled() ? "0: " : "";
  const std::string text = SimpleRHeaderLines(Labelled(), "4") + prefix + "1 2 3\n";
  ExpectFailedImport(ImportOverOld(0, 1, 0, {{".R0", text}}),
                     "ASCII read error on " + Named(".R0") + " line 20");
}

TEST_P(RRecord, DescriptionsComeBackPaddedOrCut) {
  const std::pair<std::string, std::string> cases[] = {
      {"abc", "abc" + std::string(76, ' ')},
      {kEightyChars.substr(0, 79), kEightyChars.substr(0, 79)},
      {kEightyChars, kEightyChars.substr(0, 79)},
      {"x#y", "x" + std::string(78, ' ')},
  };
  for (const auto& [desc, imported] : cases) {
    RRecordSpec r = SimpleR({1});
    r.desc = desc;
    Export(WithR({r}));
    EXPECT_EQ(LastStatus(ImportExisting()), "conversion complete") << desc;
    EXPECT_EQ(Imported().r.at(0).header.substr(0, 80), imported + '\0') << desc;
  }
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, RRecord, BothLayoutsAnyThreads(), LayoutName);
INSTANTIATE_TEST_SUITE_P(LabelledLayout, RRecordLabelled, LabelledAnyThreads(), LayoutName);

}  // namespace
}  // namespace orvane::testing
