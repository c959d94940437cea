// I records both ways: twelve header lines with an unsigned channel and
// size, and the 16-bit value lines they share with T records.
#include "record_fixture.h"

namespace orvane::testing {
namespace {

IRecordSpec SimpleI(std::vector<int16_t> samples) {
  IRecordSpec i;
  i.desc = "eye";
  i.chan = 3;
  i.rate = -0.5f;
  i.rs = {-1, -2, -3, -4, 5, 6, 7, 8};
  i.samples = std::move(samples);
  return i;
}

std::string SimpleIHeaderLines(bool labelled, const std::string& size, const std::string& chan = "3") {
  return HeaderLines(kILabels, {"eye", chan, "-0.500000", size, "-1", "-2", "-3", "-4", "5", "6", "7", "8"},
                     labelled);
}

PulseFileBuilder WithI(std::vector<IRecordSpec> records) {
  PulseFileBuilder b;
  b.i = std::move(records);
  return b;
}

using IRecord = RecordTest;
using IRecordLabelled = RecordTest;  // cases of the labelled layout only

TEST_P(IRecord, SizeZeroIsHeaderLinesAndOneEmptyLine) {
  const std::string text = SimpleIHeaderLines(Labelled(), "0") + "\n";
  EXPECT_EQ(ExportedText(WithI({SimpleI({})}), ".I0"), text);
  EXPECT_EQ(Statuses(Import(0, 0, 1, {{".I0", text}})), std::vector<std::string>{"conversion complete"});
  EXPECT_EQ(RecordBytes(1), 124u);
  IRecordSpec expected = SimpleI({});
  expected.desc = "eye" + std::string(76, ' ');
  EXPECT_EQ(Imported().i.at(0).header, expected.Bytes());
}

TEST_P(IRecord, SevenSamplesAreOneLineAndThePad) {
  const std::vector<int16_t> samples = {-7, 6, -5, 4, -3, 2, -1};
  const std::string values =
      Labelled() ? "     0:      -7        6       -5        4       -3        2       -1   \n"
                 : "    -7        6       -5        4       -3        2       -1   \n";
  const std::string text = SimpleIHeaderLines(Labelled(), "7") + values;
  EXPECT_EQ(ExportedText(WithI({SimpleI(samples)}), ".I0"), text);
  EXPECT_EQ(LastStatus(Import(0, 0, 1, {{".I0", text}})), "conversion complete");
  EXPECT_EQ(RecordBytes(1), 140u);
  const std::string spf = ReadFile(Spf());
  EXPECT_EQ(spf.substr(320 + 124, 16), SimpleI(samples).Bytes().substr(124) + std::string(2, '\0'));
}

TEST_P(IRecord, EightSamplesAreOneFullLineAndAnEmptyLine) {
  const std::vector<int16_t> samples = {1, 2, 3, 4, 5, 6, 7, 8};
  const std::string values =
      Labelled() ? "     0:       1        2        3        4        5        6        7        8\n\n"
                 : "     1        2        3        4        5        6        7        8\n\n";
  const std::string text = SimpleIHeaderLines(Labelled(), "8") + values;
  EXPECT_EQ(ExportedText(WithI({SimpleI(samples)}), ".I0"), text);
  EXPECT_EQ(LastStatus(Import(0, 0, 1, {{".I0", text}})), "conversion complete");
  EXPECT_EQ(RecordBytes(1), 140u);
  EXPECT_EQ(Imported().i.at(0).samples, SimpleI(samples).Bytes().substr(124));
}

TEST_P(IRecord, ChannelWordOfAllOnesIsUnsignedInBothLayouts) {
  IRecordSpec i = SimpleI({1});
  i.chan = 0xFFFFFFFF;
  const std::vector<std::string> lines = SplitLines(ExportedText(WithI({i}), ".I0"));
  EXPECT_EQ(lines.at(1), Label("CHAN: ") + "4294967295");
  EXPECT_EQ(LastStatus(ImportExisting()), "conversion complete");
  EXPECT_EQ(GetU32(Imported().i.at(0).header, 80), 0xFFFFFFFFu);
}

TEST_P(IRecord, SizeIsWrittenUnsigned) {
  keepPartial = true;  // what the failed record got is put in place
  IRecordSpec i = SimpleI({5, 6});
  i.size = 3000000000u;  // far more samples than the file holds
  TraceRecorder trace = Export(WithI({i}));
  EXPECT_EQ(LastStatus(trace), "Binary read error");
  const std::vector<std::string> lines = SplitLines(ReadFile(Named(".I0")));
  EXPECT_EQ(lines.at(3), Label("SIZE: ") + "3000000000");
}

TEST_P(IRecord, ChannelAcceptsAMinusSign) {
  const std::string text = SimpleIHeaderLines(Labelled(), "0", "-2") + "\n";
  EXPECT_EQ(LastStatus(Import(0, 0, 1, {{".I0", text}})), "conversion complete");
  EXPECT_EQ(GetU32(Imported().i.at(0).header, 80), 0xFFFFFFFEu);
}

TEST_P(IRecordLabelled, LabelledIndexRulesAreThoseOfTRecords) {
  const std::string header = SimpleIHeaderLines(true, "9");
  const std::string good = header + "77: 1 2 3 4 5 6 7 8\n-1:9\n";
  EXPECT_EQ(LastStatus(Import(0, 0, 1, {{".I0", good}})), "conversion complete");
  EXPECT_EQ(Imported().i.at(0).samples, SimpleI({1, 2, 3, 4, 5, 6, 7, 8, 9}).Bytes().substr(124));

  const std::string noColon = header + "77: 1 2 3 4 5 6 7 8\n8 9\n";
  ExpectFailedImport(ImportOverOld(0, 0, 1, {{".I0", noColon}}),
                     "ASCII read error on " + Named(".I0") + " line 14");
}

TEST_P(IRecord, SixteenBitRangeIsEnforcedOnValueLines) {
  const std::string prefix = Labelled() ? "0: " : "";
  const std::string text = SimpleIHeaderLines(Labelled(), "1") + prefix + "40000\n";
  ExpectFailedImport(ImportOverOld(0, 0, 1, {{".I0", text}}),
                     "ASCII read error on " + Named(".I0") + " line 13");
}

TEST_P(IRecord, HeaderLineThatDoesNotMatchNamesItsLine) {
  for (size_t k : {2u, 3u, 4u, 5u, 12u}) {
    std::vector<std::string> lines = SplitLines(SimpleIHeaderLines(Labelled(), "0"));
    lines[k - 1] = Labelled() ? "XXXX: 1" : "x";
    ExpectFailedImport(ImportOverOld(0, 0, 1, {{".I0", JoinLines(lines) + "\n"}}),
                       "ASCII read error on " + Named(".I0") + " line " + std::to_string(k));
  }
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, IRecord, BothLayoutsAnyThreads(), LayoutName);
INSTANTIATE_TEST_SUITE_P(LabelledLayout, IRecordLabelled, LabelledAnyThreads(), LayoutName);

}  // namespace
}  // namespace orvane::testing
