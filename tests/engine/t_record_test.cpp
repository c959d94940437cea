// T records both ways: header lines, value lines of 16-bit samples, the
// odd-count pad, the labelled index rules and the channel word.
#include "record_fixture.h"

namespace orvane::testing {
namespace {

TRecordSpec SimpleT(std::vector<int16_t> samples) {
  TRecordSpec t;
  t.desc = "tee";
  t.chan = 7;
  t.rate = 1.5f;
  t.offs = -3;
  t.gain = 0.25f;
  t.type = 2;
  t.fhz0 = 100;
  t.fhzN = -100;
  t.rs = {0, 1, 2, 3, 4, 5};
  t.samples = std::move(samples);
  return t;
}

std::string SimpleTHeaderLines(bool labelled, const std::string& size) {
  return HeaderLines(kTLabels,
                     {"tee", "7", "1.500000", "-3", "0.250000", "2", size, "100.000000", "-100.000000", "0",
                      "1", "2", "3", "4", "5"},
                     labelled);
}

std::vector<int16_t> OneTo(int n) {
  std::vector<int16_t> v;
  for (int k = 1; k <= n; ++k) v.push_back(static_cast<int16_t>(k));
  return v;
}

PulseFileBuilder WithT(std::vector<TRecordSpec> records) {
  PulseFileBuilder b;
  b.t = std::move(records);
  return b;
}

using TRecord = RecordTest;
using TRecordLabelled = RecordTest;  // cases of the labelled layout only

TEST_P(TRecord, SizeZeroIsHeaderLinesAndOneEmptyLine) {
  const std::string text = SimpleTHeaderLines(Labelled(), "0") + "\n";
  EXPECT_EQ(ExportedText(WithT({SimpleT({})}), ".T0"), text);
  EXPECT_EQ(Statuses(Import(1, 0, 0, {{".T0", text}})), std::vector<std::string>{"conversion complete"});
  EXPECT_EQ(RecordBytes(1), 136u);
  TRecordSpec expected = SimpleT({});
  expected.desc = "tee" + std::string(76, ' ');
  EXPECT_EQ(Imported().t.at(0).header, expected.Bytes());
}

TEST_P(TRecord, NegativeSizeIsLikeSizeZeroWithoutPad) {
  TRecordSpec t = SimpleT({});
  t.size = -5;
  const std::string text = SimpleTHeaderLines(Labelled(), "-5") + "\n";
  EXPECT_EQ(ExportedText(WithT({t}), ".T0"), text);
  EXPECT_EQ(LastStatus(Import(1, 0, 0, {{".T0", text}})), "conversion complete");
  EXPECT_EQ(RecordBytes(1), 136u);
  EXPECT_EQ(GetI32(Imported().t.at(0).header, 100), -5);
}

TEST_P(TRecord, TenSamplesAsInTheFormatsExample) {
  const std::string values =
      Labelled() ? "     0:       1        2        3        4        5        6        7        8\n"
                   "     8:       9       10   \n"
                 : "     1        2        3        4        5        6        7        8\n"
                   "     9       10   \n";
  const std::string text = SimpleTHeaderLines(Labelled(), "10") + values;
  EXPECT_EQ(ExportedText(WithT({SimpleT(OneTo(10))}), ".T0"), text);
  EXPECT_EQ(LastStatus(Import(1, 0, 0, {{".T0", text}})), "conversion complete");
  EXPECT_EQ(RecordBytes(1), 156u);  // ten samples, no pad
  EXPECT_EQ(Imported().t.at(0).samples, SimpleT(OneTo(10)).Bytes().substr(136));
}

TEST_P(TRecord, NineSamplesGetTheOddCountPad) {
  const std::string values =
      Labelled() ? "     0:       1        2        3        4        5        6        7        8\n"
                   "     8:       9   \n"
                 : "     1        2        3        4        5        6        7        8\n"
                   "     9   \n";
  const std::string text = SimpleTHeaderLines(Labelled(), "9") + values;
  EXPECT_EQ(ExportedText(WithT({SimpleT(OneTo(9))}), ".T0"), text);
  EXPECT_EQ(LastStatus(Import(1, 0, 0, {{".T0", text}})), "conversion complete");
  EXPECT_EQ(RecordBytes(1), 156u);  // nine samples and the pad
  const std::string spf = ReadFile(Spf());
  EXPECT_EQ(spf.substr(320 + 136, 20), SimpleT(OneTo(9)).Bytes().substr(136) + std::string(2, '\0'));
}

TEST_P(TRecord, SixteenSamplesAreTwoFullLinesAndAnEmptyLine) {
  const std::string values =
      Labelled() ? "     0:       1        2        3        4        5        6        7        8\n"
                   "     8:       9       10       11       12       13       14       15       16\n\n"
                 : "     1        2        3        4        5        6        7        8\n"
                   "     9       10       11       12       13       14       15       16\n\n";
  const std::string text = SimpleTHeaderLines(Labelled(), "16") + values;
  EXPECT_EQ(ExportedText(WithT({SimpleT(OneTo(16))}), ".T0"), text);
  EXPECT_EQ(LastStatus(Import(1, 0, 0, {{".T0", text}})), "conversion complete");
  EXPECT_EQ(RecordBytes(1), 136u + 32);
}

TEST_P(TRecord, ExtremeSamplesFillTheirSixColumns) {
  const std::string text = ExportedText(WithT({SimpleT({-32768, 32767, 0, -1})}), ".T0");
  const std::string expected = Labelled() ? "     0:  -32768    32767        0       -1   \n"
                                          : "-32768    32767        0       -1   \n";
  EXPECT_EQ(text.substr(text.size() - expected.size()), expected);
  EXPECT_EQ(LastStatus(Import(1, 0, 0, {{".T0", text}})), "conversion complete");
  EXPECT_EQ(Imported().t.at(0).samples, SimpleT({-32768, 32767, 0, -1}).Bytes().substr(136));
}

TEST_P(TRecord, ChannelWordOfAllOnes) {
  TRecordSpec t = SimpleT({});
  t.chan = 0xFFFFFFFF;
  const std::vector<std::string> lines = SplitLines(ExportedText(WithT({t}), ".T0"));
  EXPECT_EQ(lines.at(1), Labelled() ? "CHAN: -1" : "4294967295");
  EXPECT_EQ(LastStatus(ImportExisting()), "conversion complete");
  EXPECT_EQ(GetU32(Imported().t.at(0).header, 80), 0xFFFFFFFFu);
}

TEST_P(TRecord, ChannelReadsEitherRendering) {
  const std::pair<const char*, uint32_t> cases[] = {{"-1", 0xFFFFFFFF},
                                                    {"4294967295", 0xFFFFFFFF},
                                                    {"-2147483648", 0x80000000},
                                                    {"2147483648", 0x80000000}};
  for (const auto& [chan, expected] : cases) {
    std::vector<std::string> lines = SplitLines(SimpleTHeaderLines(Labelled(), "0"));
    lines[1] = Label("CHAN: ") + chan;
    EXPECT_EQ(LastStatus(Import(1, 0, 0, {{".T0", JoinLines(lines) + "\n"}})), "conversion complete") << chan;
    EXPECT_EQ(GetU32(Imported().t.at(0).header, 80), expected) << chan;
  }
}

TEST_P(TRecordLabelled, LabelledIndexMayBeAnyInteger) {
  const std::string header = SimpleTHeaderLines(true, "10");
  for (const char* first : {"     5:", "0:", "-3:", "  1234567:", "+0:"}) {
    const std::string text = header + first +
                             "       1        2        3        4        5        6        7        8\n" +
                             "   999:9 10\n";
    EXPECT_EQ(LastStatus(Import(1, 0, 0, {{".T0", text}})), "conversion complete") << first;
    EXPECT_EQ(Imported().t.at(0).samples, SimpleT(OneTo(10)).Bytes().substr(136)) << first;
  }
}

TEST_P(TRecordLabelled, LabelledIndexWithoutColonFailsTheLine) {
  const std::string header = SimpleTHeaderLines(true, "10");
  for (const char* line : {"     0       1        2        3        4        5        6        7        8",
                           "     0 :       1        2        3        4        5        6        7        8",
                           "       1        2        3        4        5        6        7        8"}) {
    TraceRecorder trace = ImportOverOld(1, 0, 0, {{".T0", header + line + "\n     8:       9       10\n"}});
    ExpectFailedImport(trace, "ASCII read error on " + Named(".T0") + " line 16");
  }
}

TEST_P(TRecord, SurplusValuesAreIgnoredAndTheNextGroupStartsOnTheNextLine) {
  const std::string prefix = Labelled() ? "0: " : "";
  const std::string text = SimpleTHeaderLines(Labelled(), "10") + prefix + "1 2 3 4 5 6 7 8 77 78\n" +
                           prefix + "9 10 11 12 # remark\n" + prefix + "55 56\n";
  EXPECT_EQ(LastStatus(Import(1, 0, 0, {{".T0", text}})), "conversion complete");
  EXPECT_EQ(Imported().t.at(0).samples, SimpleT(OneTo(10)).Bytes().substr(136));
  EXPECT_EQ(RecordBytes(1), 156u);  // the line after the last group is not read
}

TEST_P(TRecord, SixteenBitRangeIsEnforcedOnValueLines) {
  const std::string prefix = Labelled() ? "0: " : "";
  for (const char* bad : {"32768", "-32769", "65535", "99999999999999999999"}) {
    const std::string text = SimpleTHeaderLines(Labelled(), "3") + prefix + "1 " + bad + " 3\n";
    ExpectFailedImport(ImportOverOld(1, 0, 0, {{".T0", text}}),
                       "ASCII read error on " + Named(".T0") + " line 16");
  }
  const std::string edge = SimpleTHeaderLines(Labelled(), "2") + prefix + "-32768 32767\n";
  EXPECT_EQ(LastStatus(Import(1, 0, 0, {{".T0", edge}})), "conversion complete");
  EXPECT_EQ(Imported().t.at(0).samples, SimpleT({-32768, 32767}).Bytes().substr(136));
}

TEST_P(TRecord, DescriptionsComeBackPaddedOrCut) {
  const std::pair<std::string, std::string> cases[] = {
      {"abc", "abc" + std::string(76, ' ')},
      {kEightyChars.substr(0, 79), kEightyChars.substr(0, 79)},
      {kEightyChars, kEightyChars.substr(0, 79)},
      {"", std::string(79, ' ')},
      {"before#after", "before" + std::string(73, ' ')},
  };
  for (const auto& [desc, imported] : cases) {
    TRecordSpec t = SimpleT({1});
    t.desc = desc;
    Export(WithT({t}));
    EXPECT_EQ(SplitLines(ReadFile(Named(".T0"))).at(0), Label("DESC: ") + desc);
    EXPECT_EQ(LastStatus(ImportExisting()), "conversion complete") << desc;
    EXPECT_EQ(Imported().t.at(0).header.substr(0, 80), imported + '\0') << desc;
  }
}

TEST_P(TRecord, DescriptionWithLineEndsKeepsItsLine) {
  TRecordSpec t = SimpleT({4});
  t.desc = "one\ntwo\rthree";
  Export(WithT({t}));
  EXPECT_EQ(SplitLines(ReadFile(Named(".T0"))).at(0), Label("DESC: ") + "one two three");
  EXPECT_EQ(LastStatus(ImportExisting()), "conversion complete");
  EXPECT_EQ(Imported().t.at(0).samples, t.Bytes().substr(136));
}

TEST_P(TRecord, TinyRealsExportAsZero) {
  TRecordSpec t = SimpleT({});
  t.rate = 0.0000001f;
  t.gain = -0.0000004f;
  const std::vector<std::string> lines = SplitLines(ExportedText(WithT({t}), ".T0"));
  EXPECT_EQ(lines.at(2), Label("RATE: ") + "0.000000");
  EXPECT_EQ(lines.at(4), Label("GAIN: ") + "-0.000000");
  EXPECT_EQ(LastStatus(ImportExisting()), "conversion complete");
  const std::string header = Imported().t.at(0).header;
  EXPECT_EQ(FloatBits(GetF32(header, 84)), FloatBits(0.0f));
  EXPECT_EQ(FloatBits(GetF32(header, 92)), FloatBits(-0.0f));
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, TRecord, BothLayoutsAnyThreads(), LayoutName);
INSTANTIATE_TEST_SUITE_P(LabelledLayout, TRecordLabelled, LabelledAnyThreads(), LayoutName);

}  // namespace
}  // namespace orvane::testing
