// Convert from ASCII: reading the header text file, the failure table of the
// import driver, its progress protocol, and what a failed import keeps
// (every failing call of an import: fault_walk_test.cpp; line ends:
// line_ends_test.cpp).
#include <gtest/gtest.h>

#include "conversion_fixture.h"
#include "header_text_fixture.h"
#include "orvane/pulse_file.h"
#include "pulse_file_builder.h"
#include "text_lines.h"

namespace orvane::testing {
namespace {

class ImportDriver : public ConversionTest {
 protected:
  TraceRecorder Import() { return ImportExisting(); }
  TraceRecorder Export() { return ExportExisting(); }
  // The header text with line k (from 1) replaced.
  std::string EdgeTextWithLine(size_t k, const std::string& line) const {
    std::vector<std::string> lines = SplitLines(EdgeHeaderText(Labelled()));
    lines[k - 1] = line;
    return JoinLines(lines);
  }
};

// Cases of the labelled layout only.
using ImportDriverLabelled = ImportDriver;

TEST_P(ImportDriver, BuildsTheHeaderOfEdgeValues) {
  WriteFile(Pfh(), EdgeHeaderText(Labelled()));
  TraceRecorder trace = Import();
  EXPECT_EQ(Statuses(trace), std::vector<std::string>{"conversion complete"});
  PulseFileBuilder expected;
  expected.header = EdgeHeaderImported();
  const std::string spf = ReadFile(Spf());
  EXPECT_EQ(spf.size(), 318u);
  EXPECT_EQ(spf, expected.Sealed());
  EXPECT_EQ(ValidatePulseFile(Spf()), 1);
  EXPECT_EQ(scratch.Files(), (std::vector<std::string>{"data.pfh", "data.spf"}));
}

TEST_P(ImportDriver, ProgressWithoutRecords) {
  WriteFile(Pfh(), EdgeHeaderText(Labelled()));
  const std::vector<int> expected =
      Labelled() ? std::vector<int>{1, 2, 3, 4, 5, 6, 7, 0} : std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 0};
  EXPECT_EQ(ProgressPositions(Import()), expected);
}

TEST_P(ImportDriver, ProgressWithRecordsOfEachKindAndTheirTable) {
  PulseFileBuilder b;
  b.records = {BuiltRecord::T(), BuiltRecord::T({5}), BuiltRecord::R(), BuiltRecord::I()};
  b.WriteSealed(Spf());
  ASSERT_EQ(LastStatus(Export()), "conversion complete");
  fs::remove(Spf());
  TraceRecorder trace = Import();
  const std::vector<int> expected =
      Labelled() ? std::vector<int>{1, 2, 3, 4, 5, 6, 7, 0} : std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 0};
  EXPECT_EQ(ProgressPositions(trace), expected);
  EXPECT_EQ(Statuses(trace), std::vector<std::string>{"conversion complete"});
  const std::string spf = ReadFile(Spf());
  // Records follow the table in table order: 316 + 4 x 4 = 332.
  EXPECT_EQ(GetU32(spf, 316), 332u);
  EXPECT_EQ(GetU32(spf, 320), 332u + 136);
  EXPECT_EQ(GetU32(spf, 324), 332u + 136 + 136 + 2 + 2);  // one sample and its pad
  EXPECT_EQ(GetU32(spf, 328), 332u + 136 + 140 + 152);
  EXPECT_EQ(spf.size(), 332u + 136 + 140 + 152 + 124 + 2);
  EXPECT_EQ(ValidatePulseFile(Spf()), 1);
}

TEST_P(ImportDriver, TwoTRecordsGiveATableStartingAt324) {
  PulseFileBuilder b;
  b.records = {BuiltRecord::T(), BuiltRecord::T()};
  b.WriteSealed(Spf());
  Export();
  Import();
  const std::string spf = ReadFile(Spf());
  EXPECT_EQ(GetU32(spf, 316), 324u);
  EXPECT_EQ(GetU32(spf, 320), 324u + 136);
}

TEST_P(ImportDriver, MissingHeaderTextCreatesNothing) {
  TraceRecorder trace = Import();
  EXPECT_EQ(trace.Joined(), "progress: 1\nstatus: Can't open " + Pfh() + " for reading\n");
  EXPECT_TRUE(scratch.Files().empty());
}

TEST_P(ImportDriver, PulseFileThatCannotBeCreated) {
  WriteFile(Pfh(), EdgeHeaderText(Labelled()));
  fs::create_directory(Spf());
  TraceRecorder trace = Import();
  EXPECT_EQ(trace.Joined(), "progress: 1\nstatus: Can't open " + Spf() + " for writing\n");
  EXPECT_TRUE(fs::is_directory(Spf()));
  EXPECT_TRUE(TemporaryFilesIn(scratch.path()).empty());
}

TEST_P(ImportDriver, FirstLineWithoutAValueStopsTheRun) {
  for (const std::string& line : {std::string(""), std::string("xyz"), std::string("#35799753")}) {
    WriteOldPulseFile();
    WriteFile(Pfh(), EdgeTextWithLine(1, line));
    TraceRecorder trace = Import();
    EXPECT_EQ(trace.Joined(), "progress: 1\nprogress: 2\nstatus: ASCII read error on " + Pfh() + "\n")
        << line;
    ExpectFailedImport(trace, "ASCII read error on " + Pfh());
  }
}

TEST_P(ImportDriver, EmptyHeaderTextStopsAtTheFirstLine) {
  WriteOldPulseFile();
  WriteFile(Pfh(), "");
  ExpectFailedImport(Import(), "ASCII read error on " + Pfh());
}

TEST_P(ImportDriver, MagicNumberMayCarryAHexPrefix) {
  WriteFile(Pfh(), EdgeTextWithLine(1, Label("MAGC: ") + "0x35799753"));
  EXPECT_EQ(LastStatus(Import()), "conversion complete");
}

// A bare text field that begins with '#' comes back as a blank line, and
// the lines after it keep their places.
TEST_P(ImportDriver, TextFieldBeginningWithAHashKeepsTheLinesInStep) {
  PulseFileBuilder b;
  b.header = EdgeHeader().Text("PNAM", "#name").Text("PDES", "text # remark");
  b.WriteSealed(Spf());
  ASSERT_EQ(LastStatus(Export()), "conversion complete");
  EXPECT_EQ(LastStatus(Import()), "conversion complete");
  PulseFileBuilder expected;
  expected.header =
      EdgeHeaderImported().Text("PNAM", std::string(79, ' ')).Text("PDES", "text " + std::string(74, ' '));
  EXPECT_EQ(ReadFile(Spf()), expected.Sealed());
}

TEST_P(ImportDriver, TheOtherLayoutStopsAtTheFirstLine) {
  WriteOldPulseFile();
  WriteFile(Pfh(), EdgeHeaderText(!Labelled()));
  TraceRecorder trace = Import();
  ExpectFailedImport(trace, "ASCII read error on " + Pfh());
}

TEST_P(ImportDriver, WrongMagicNumberStopsTheRun) {
  WriteOldPulseFile();
  WriteFile(Pfh(), EdgeTextWithLine(1, Label("MAGC: ") + "35799754"));
  TraceRecorder trace = Import();
  EXPECT_EQ(trace.Joined(), "progress: 1\nprogress: 2\nstatus: Invalid magic number\n");
  ExpectFailedImport(trace, "Invalid magic number");
}

TEST_P(ImportDriver, WrongMagicNumberCreatesNoPulseFile) {
  WriteFile(Pfh(), EdgeTextWithLine(1, Label("MAGC: ") + "1"));
  EXPECT_EQ(LastStatus(Import()), "Invalid magic number");
  EXPECT_EQ(scratch.Files(), std::vector<std::string>{"data.pfh"});
}

// Every numeric header line after line 1 that does not match its pattern
// stops the run with its line number.
TEST_P(ImportDriver, NumericLineThatDoesNotMatchNamesItsLine) {
  const size_t numericLines[] = {3, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23};
  for (size_t k : numericLines) {
    for (const std::string& bad : {std::string("x1"), std::string(""), std::string("#7")}) {
      WriteOldPulseFile();
      WriteFile(Pfh(),
                EdgeTextWithLine(k, Label(SplitLines(EdgeHeaderText(true))[k - 1].substr(0, 6)) + bad));
      TraceRecorder trace = Import();
      SCOPED_TRACE("line " + std::to_string(k) + " '" + bad + "'");
      ExpectFailedImport(trace, "ASCII read error on " + Pfh() + " line " + std::to_string(k));
    }
  }
}

TEST_P(ImportDriverLabelled, LabelThatDoesNotMatchNamesItsLine) {
  const std::pair<size_t, std::string> cases[] = {
      {3, "SUBX: -1"}, {3, "subs: -1"}, {3, "SUBS -1"},   {3, " SUBS: -1"},
      {17, "RS: 0"},   {23, "RSx6: 6"}, {16, "MXPR 1.5"},
  };
  for (const auto& [k, line] : cases) {
    WriteOldPulseFile();
    WriteFile(Pfh(), EdgeTextWithLine(k, line));
    SCOPED_TRACE(line);
    ExpectFailedImport(Import(), "ASCII read error on " + Pfh() + " line " + std::to_string(k));
  }
}

TEST_P(ImportDriver, FileEndingEarlyNamesTheMissingLine) {
  for (size_t kept : {1u, 2u, 10u, 22u}) {
    std::vector<std::string> lines = SplitLines(EdgeHeaderText(Labelled()));
    lines.resize(kept);
    WriteOldPulseFile();
    WriteFile(Pfh(), JoinLines(lines));
    SCOPED_TRACE(kept);
    ExpectFailedImport(Import(), "ASCII read error on " + Pfh() + " line " + std::to_string(kept + 1));
  }
}

TEST_P(ImportDriver, TextLinesAreTakenByColumn) {
  std::string text = EdgeTextWithLine(2, Label("DESC: ") + "  two blanks first");
  std::vector<std::string> lines = SplitLines(text);
  lines[3] = Label("PNAM: ") + std::string(100, 'n');
  lines[4] = Label("PDES: ") + "before # after";
  WriteFile(Pfh(), JoinLines(lines));
  EXPECT_EQ(LastStatus(Import()), "conversion complete");
  const std::string spf = ReadFile(Spf());
  EXPECT_EQ(spf.substr(4, 80), "  two blanks first" + std::string(61, ' ') + '\0');
  EXPECT_EQ(spf.substr(88, 80), std::string(79, 'n') + '\0');
  EXPECT_EQ(spf.substr(168, 80), "before " + std::string(72, ' ') + '\0');
}

TEST_P(ImportDriverLabelled, LabelledTextLineSkipsItsFirstSixColumnsUnseen) {
  WriteFile(Pfh(), EdgeTextWithLine(2, "xxxxxxdesc"));
  EXPECT_EQ(LastStatus(Import()), "conversion complete");
  EXPECT_EQ(ReadFile(Spf()).substr(4, 5), std::string("desc "));
}

TEST_P(ImportDriver, SixteenBitFieldsKeepTheLowBits) {
  const std::pair<std::string, uint16_t> cases[] = {{"65535", 0xFFFF},  {"-1", 0xFFFF}, {"32768", 0x8000},
                                                    {"-32768", 0x8000}, {"65541", 5},   {"0", 0}};
  for (const auto& [value, bits] : cases) {
    std::vector<std::string> lines = SplitLines(EdgeHeaderText(Labelled()));
    lines[8] = Label("PID : ") + value;
    lines[9] = Label("UNUS: ") + value;
    WriteFile(Pfh(), JoinLines(lines));
    EXPECT_EQ(LastStatus(Import()), "conversion complete") << value;
    const std::string spf = ReadFile(Spf());
    EXPECT_EQ(GetU16(spf, format::kFileHeader.Offset("PID")), bits) << value;
    EXPECT_EQ(GetU16(spf, format::kFileHeader.Offset("UNUS")), bits) << value;
  }
}

TEST_P(ImportDriver, RsLinesFillTheirFieldsByPosition) {
  std::vector<std::string> lines = SplitLines(EdgeHeaderText(Labelled()));
  if (Labelled()) {
    lines[16] = "RS 5: 100";
    lines[17] = "RS-1: 101";
    lines[18] = "RS99: 102";
    lines[19] = "RS  3:  103";
  } else {
    lines[16] = "100";
    lines[17] = "   101";
    lines[18] = "+102";
    lines[19] = "103 # remark";
  }
  WriteFile(Pfh(), JoinLines(lines));
  EXPECT_EQ(LastStatus(Import()), "conversion complete");
  const std::string spf = ReadFile(Spf());
  const HeaderFields header(format::kFileHeader, spf);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(header.IntOf("RS" + std::to_string(k)), 100 + k) << k;
  EXPECT_EQ(header.IntOf("RS4"), 4);
}

TEST_P(ImportDriverLabelled, LabelledRsIndexOfThreeDigitsDoesNotMatch) {
  WriteOldPulseFile();
  WriteFile(Pfh(), EdgeTextWithLine(18, "RS100: 1"));
  ExpectFailedImport(Import(), "ASCII read error on " + Pfh() + " line 18");
}

// Counts whose table cannot exist are refused before the pulse file is touched.
TEST_P(ImportDriver, ImplausibleCountsAreRefused) {
  const std::array<std::string, 3> cases[] = {
      {"-1", "1", "0"},                     // the unsigned sum overflows 32 bits
      {"-1", "0", "0"},                     // a table of 16 GiB
      {"1073741824", "0", "0"},             // a table of exactly 4 GiB
      {"0", "-2147483648", "-2147483648"},  // 2^31 + 2^31 wraps to 0
  };
  for (const auto& counts : cases) {
    std::vector<std::string> lines = SplitLines(EdgeHeaderText(Labelled()));
    lines[12] = Label("TCNT: ") + counts[0];
    lines[13] = Label("RCNT: ") + counts[1];
    lines[14] = Label("ICNT: ") + counts[2];
    WriteFile(Pfh(), JoinLines(lines));
    SCOPED_TRACE(counts[0] + " " + counts[1] + " " + counts[2]);
    fs::remove(Spf());
    TraceRecorder trace = Import();
    EXPECT_EQ(LastStatus(trace), "Invalid record count");
    EXPECT_EQ(scratch.Files(), std::vector<std::string>{"data.pfh"});
    WriteOldPulseFile();
    ExpectFailedImport(Import(), "Invalid record count");
  }
}

TEST_P(ImportDriver, MissingRecordTextFileFailsTheRun) {
  PulseFileBuilder b;
  b.records = {BuiltRecord::T(), BuiltRecord::T()};
  b.WriteSealed(Spf());
  Export();
  fs::remove(Base() + ".T1");
  WriteOldPulseFile();
  ExpectFailedImport(Import(), "Can't open " + Base() + ".T1 for reading");
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, ImportDriver, BothLayoutsAnyThreads(), LayoutName);
INSTANTIATE_TEST_SUITE_P(LabelledLayout, ImportDriverLabelled, LabelledAnyThreads(), LayoutName);

}  // namespace
}  // namespace orvane::testing
