// Records that fail: pulse files whose records end early or cannot be
// reached, record text files that cannot be written, and record text files
// that end early or hold lines that do not scan.
#include "record_fixture.h"

namespace orvane::testing {
namespace {

using RecordFailure = RecordTest;
using RecordFailureLabelled = RecordTest;  // cases of the labelled layout only

TEST_P(RecordFailure, TSamplesEndingEarlyKeepWhatWasRead) {
  keepPartial = true;  // what the failed record got is put in place
  // T0 claims ten samples but lies last in the file with five; T1 is whole.
  PulseFileBuilder b;
  b.records = {BuiltRecord::T({11, 12}), BuiltRecord::T({1, 2, 3, 4, 5})};
  b.records[1].size = 10;
  std::string file = b.Unsealed();
  // T0 is the entry of the record that lies last.
  const uint32_t first = GetU32(file, format::EntryPosition(0));
  PutU32(file, format::EntryPosition(0), GetU32(file, format::EntryPosition(1)));
  PutU32(file, format::EntryPosition(1), first);
  file = SealedBytes(file);
  WriteFile(Spf(), file);
  TraceRecorder trace = ExportExisting();
  EXPECT_EQ(Statuses(trace), (std::vector<std::string>{"Binary read error", "Binary read error"}));
  // The checksum word is read as a sixth sample before the end of the file.
  const int16_t sealWord = static_cast<int16_t>(GetU16(file, file.size() - 2));
  char values[128];
  std::snprintf(values, sizeof values, "%s     1        2        3        4        5   %6d   \n",
                Labelled() ? "     0:  " : "", sealWord);
  const std::vector<std::string> lines = SplitLines(ReadFile(Named(".T0")));
  ASSERT_EQ(lines.size(), 16u);
  EXPECT_EQ(lines[6], Label("SIZE: ") + "10");
  EXPECT_EQ(lines[15] + "\n", values);
  // The next record is exported whole from the next entry.
  EXPECT_EQ(SplitLines(ReadFile(Named(".T1"))).at(15),
            Labelled() ? "     0:      11       12   " : "    11       12   ");
}

TEST_P(RecordFailure, RSamplesEndingEarlyKeepWhatWasRead) {
  keepPartial = true;  // what the failed record got is put in place
  // The R record lies last, behind the I record.
  PulseFileBuilder b;
  b.records = {BuiltRecord::I(), BuiltRecord::R({1.5f, -2.0f})};
  b.records[1].size = 4;
  b.WriteSealed(Spf());
  TraceRecorder trace = ExportExisting();
  EXPECT_EQ(Statuses(trace), (std::vector<std::string>{"Binary read error", "Binary read error"}));
  const std::vector<std::string> lines = SplitLines(ReadFile(Named(".R0")));
  ASSERT_EQ(lines.size(), 20u);
  EXPECT_EQ(lines[19], Label("     0:  ") + " 1.5000000e+000   -2.0000000e+000   ");
  EXPECT_TRUE(fs::exists(Named(".I0")));
  EXPECT_EQ(ProgressPositions(trace).back(), 9);
}

TEST_P(RecordFailure, TextFileThatCannotBeCreatedDoesNotStopTheNextRecord) {
  keepPartial = true;  // what the failed record got is put in place
  PulseFileBuilder b;
  b.records = {BuiltRecord::T({1}), BuiltRecord::T({2}), BuiltRecord::T({3})};
  b.WriteSealed(Spf());
  ASSERT_EQ(LastStatus(ExportExisting()), "conversion complete");
  const std::string t1 = ReadFile(Named(".T1")), t2 = ReadFile(Named(".T2"));
  fs::remove(Named(".T0"));
  fs::remove(Named(".T1"));
  fs::remove(Named(".T2"));
  fs::create_directory(Named(".T0"));
  TraceRecorder trace = ExportExisting();
  const std::string message = "Can't open " + Named(".T0") + " for writing";
  EXPECT_EQ(Statuses(trace), (std::vector<std::string>{message, message}));
  EXPECT_EQ(ReadFile(Named(".T1")), t1);
  EXPECT_EQ(ReadFile(Named(".T2")), t2);
  EXPECT_TRUE(TemporaryFilesIn(scratch.path()).empty());
}

TEST_P(RecordFailure, FailedRecordLeavesEveryOldTextFileOfTheRun) {
  PulseFileBuilder b;
  b.records = {BuiltRecord::T({1}), BuiltRecord::T({2}), BuiltRecord::T({3})};
  b.WriteSealed(Spf());
  for (const char* suffix : {".pfh", ".T0", ".T2"}) WriteFile(Named(suffix), "old text\n");
  fs::create_directory(Named(".T1"));
  TraceRecorder trace = ExportExisting();
  EXPECT_EQ(LastStatus(trace), "Can't open " + Named(".T1") + " for writing");
  for (const char* suffix : {".pfh", ".T0", ".T2"})
    EXPECT_EQ(ReadFile(Named(suffix)), "old text\n") << suffix;
  EXPECT_TRUE(TemporaryFilesIn(scratch.path()).empty());
}

TEST_P(RecordFailure, EntryBeyondTheFileIsAReadErrorAndTheOldTextStays) {
  keepPartial = true;  // what the failed record got is put in place
  PulseFileBuilder b;
  b.records = {BuiltRecord::T({1}), BuiltRecord::T({2})};
  std::string bytes = b.Unsealed();
  PutU32(bytes, format::EntryPosition(0), 1u << 20);
  WriteFile(Spf(), SealedBytes(bytes));
  WriteFile(Named(".T0"), "old text\n");
  TraceRecorder trace = ExportExisting();
  EXPECT_EQ(Statuses(trace), (std::vector<std::string>{"Binary read error", "Binary read error"}));
  EXPECT_EQ(ReadFile(Named(".T0")), "old text\n");
  EXPECT_EQ(SplitLines(ReadFile(Named(".T1"))).at(15), Label("     0:  ") + "     2   ");
  EXPECT_TRUE(TemporaryFilesIn(scratch.path()).empty());
}

TEST_P(RecordFailure, ImportStopsAtATextFileEndingEarly) {
  PulseFileBuilder b;
  b.records = {BuiltRecord::T({1, 2, 3, 4, 5, 6, 7, 8, 9, 10})};
  b.WriteSealed(Spf());
  ExportExisting();
  const std::vector<std::string> lines = SplitLines(ReadFile(Named(".T0")));
  ASSERT_EQ(lines.size(), 17u);
  const std::pair<size_t, size_t> cases[] = {{16, 17}, {15, 16}, {10, 11}, {0, 1}};
  for (const auto& [kept, missing] : cases) {
    std::vector<std::string> part(lines.begin(), lines.begin() + static_cast<long>(kept));
    WriteOldPulseFile();
    WriteFile(Named(".T0"), JoinLines(part));
    SCOPED_TRACE(kept);
    ExpectFailedImport(ImportExisting(),
                       "ASCII read error on " + Named(".T0") + " line " + std::to_string(missing));
  }
}

TEST_P(RecordFailure, ImportStopsAtAValueLineWithTooFewValues) {
  PulseFileBuilder b;
  b.records = {BuiltRecord::T({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), BuiltRecord::T({1}), BuiltRecord::I()};
  b.WriteSealed(Spf());
  ExportExisting();
  const std::vector<std::string> good = SplitLines(ReadFile(Named(".T0")));
  std::vector<std::string> lines = good;
  const std::string prefix = Labelled() ? "0: " : "";
  for (const std::string& bad : {prefix + "1 2 3 4 5 6 7", prefix + "", prefix + "1 2 3 4 5 6 7 x"}) {
    lines[15] = bad;
    WriteFile(Named(".T0"), JoinLines(lines));
    WriteOldPulseFile();
    ExpectFailedImport(ImportExisting(), "ASCII read error on " + Named(".T0") + " line 16");
  }
  lines = good;
  lines[16] = prefix.empty() ? "9" : "8: 9";
  WriteFile(Named(".T0"), JoinLines(lines));
  ExpectFailedImport(ImportExisting(), "ASCII read error on " + Named(".T0") + " line 17");
}

TEST_P(RecordFailureLabelled, LabelsAreCaseSensitiveAndNeedTheirColon) {
  PulseFileBuilder b;
  b.records = {BuiltRecord::T()};
  b.WriteSealed(Spf());
  ExportExisting();
  const std::vector<std::string> good = SplitLines(ReadFile(Named(".T0")));
  const std::pair<size_t, std::string> cases[] = {
      {2, "chan: 0"}, {3, "RATE 0.0"}, {5, "Gain: 0"}, {10, "RS0 : 0"}, {15, "RS 5 0"}};
  for (const auto& [k, line] : cases) {
    std::vector<std::string> lines = good;
    lines[k - 1] = line;
    WriteFile(Named(".T0"), JoinLines(lines));
    WriteOldPulseFile();
    SCOPED_TRACE(line);
    ExpectFailedImport(ImportExisting(),
                       "ASCII read error on " + Named(".T0") + " line " + std::to_string(k));
  }
}

TEST_P(RecordFailure, MissingRecordTextFileIsReportedByName) {
  PulseFileBuilder b;
  b.records = {BuiltRecord::R(), BuiltRecord::R()};
  b.WriteSealed(Spf());
  ExportExisting();
  fs::remove(Named(".R1"));
  WriteOldPulseFile();
  ExpectFailedImport(ImportExisting(), "Can't open " + Named(".R1") + " for reading");
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, RecordFailure, BothLayoutsAnyThreads(), LayoutName);
INSTANTIATE_TEST_SUITE_P(LabelledLayout, RecordFailureLabelled, LabelledAnyThreads(), LayoutName);

}  // namespace
}  // namespace orvane::testing
