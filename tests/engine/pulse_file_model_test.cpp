// The pulse file model: validation, header and record header access, and the
// checksum seal, on files built on disk.
#include <gtest/gtest.h>

#include "orvane/pulse_file.h"
#include "pulse_file_builder.h"
#include "text_lines.h"

namespace orvane::testing {
namespace {

// A file with two T records and one R record.
PulseFileBuilder TwoTRecords() {
  PulseFileBuilder b;
  b.header.Text("DESC", "two T records");
  b.records = {BuiltRecord::T({1, 2, 3}), BuiltRecord::T({4, 5}), BuiltRecord::R()};
  b.records[0].header.Text("DESC", "first").Real("GAIN", 1.25f);
  b.records[1].header.Text("DESC", "second").Real("GAIN", -2.5f);
  return b;
}

class PulseFileModel : public ::testing::Test {
 protected:
  std::string Spf() const { return scratch / "data.spf"; }
  ScratchDir scratch;
};

TEST_F(PulseFileModel, SealedFileIsValid) {
  TwoTRecords().WriteSealed(Spf());
  EXPECT_EQ(ValidatePulseFile(Spf()), 1);
}

TEST_F(PulseFileModel, WordSumOfOneIsInvalidAndEveryReaderFails) {
  std::string bytes = PulseFileBuilder().Sealed();
  const size_t desc = format::kFileHeader.Offset("DESC");
  ASSERT_EQ(bytes[desc], '\0');
  bytes[desc] = 1;  // a low byte: the word sum becomes 1
  WriteFile(Spf(), bytes);
  EXPECT_EQ(ValidatePulseFile(Spf()), 0);
  EXPECT_FALSE(ReadPulseFileHeader(Spf()).has_value());

  std::string withRecords = TwoTRecords().Sealed();
  withRecords[desc + 20] = 1;
  WriteFile(Spf(), withRecords);
  EXPECT_FALSE(ReadRecordHeader(Spf(), 0).has_value());
  EXPECT_EQ(WriteRecordHeader(Spf(), 0, TRecordHeader{}), 0);
  EXPECT_EQ(ReadFile(Spf()), withRecords);
}

TEST_F(PulseFileModel, FilesShorterThanFourBytesAreInvalid) {
  for (std::string bytes : {std::string(), std::string("\x53"), std::string("\x53\x97\x79", 3)}) {
    WriteFile(Spf(), bytes);
    EXPECT_EQ(ValidatePulseFile(Spf()), 0) << bytes.size();
  }
}

TEST_F(PulseFileModel, WrongMagicIsInvalidEvenWithAZeroSum) {
  PulseFileBuilder b;
  b.header.Int("MAGC", 0x35799754);
  b.WriteSealed(Spf());
  EXPECT_EQ(ValidatePulseFile(Spf()), 0);
  EXPECT_FALSE(ReadPulseFileHeader(Spf()).has_value());
}

TEST_F(PulseFileModel, EmptyPathAndMissingFileAreInvalid) {
  EXPECT_EQ(ValidatePulseFile(""), 0);
  EXPECT_EQ(ValidatePulseFile(scratch / "missing.spf"), 0);
  EXPECT_EQ(ValidatePulseFile(scratch.path().string()), 0);  // a directory
  EXPECT_FALSE(ReadPulseFileHeader("").has_value());
}

TEST_F(PulseFileModel, OddLengthLeavesTheLastByteUncounted) {
  std::string bytes = TwoTRecords().Sealed();
  ASSERT_EQ(bytes.size() % 2, 0u);
  for (char extra : {'\x00', '\x01', '\xff'}) {
    WriteFile(Spf(), bytes + extra);
    EXPECT_EQ(ValidatePulseFile(Spf()), 1) << int(extra);
  }
}

TEST_F(PulseFileModel, ReadsTheHeaderOfAValidFile) {
  PulseFileBuilder b = TwoTRecords();
  b.header.Int("PID", 0xFFFF);
  b.WriteSealed(Spf());
  auto header = ReadPulseFileHeader(Spf());
  ASSERT_TRUE(header.has_value());
  EXPECT_EQ(std::string(header->bytes.begin(), header->bytes.end()), b.HeaderBytes());
  EXPECT_EQ(header->TCount(), 2u);
  EXPECT_EQ(header->RCount(), 1u);
}

TEST_F(PulseFileModel, RecordHeaderReadsOnlyTRecords) {
  PulseFileBuilder b = TwoTRecords();
  b.WriteSealed(Spf());
  auto first = ReadRecordHeader(Spf(), 0);
  auto second = ReadRecordHeader(Spf(), 1);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(std::string(first->bytes.begin(), first->bytes.end()), b.records[0].HeaderBytes());
  EXPECT_FLOAT_EQ(second->Gain(), -2.5f);
  EXPECT_EQ(second->Size(), 2);
  EXPECT_FALSE(ReadRecordHeader(Spf(), 2).has_value());  // n = TCNT: the R record is out of reach
  EXPECT_FALSE(ReadRecordHeader(Spf(), 0xFFFFFFFF).has_value());
}

TEST_F(PulseFileModel, NoTRecordsMeansNoRecordHeaderWhateverElseExists) {
  PulseFileBuilder b;
  b.records = {BuiltRecord::R(), BuiltRecord::R(), BuiltRecord::I()};
  b.WriteSealed(Spf());
  for (uint32_t n : {0u, 1u, 2u, 3u}) {
    EXPECT_FALSE(ReadRecordHeader(Spf(), n).has_value()) << n;
    EXPECT_EQ(WriteRecordHeader(Spf(), n, TRecordHeader{}), 0) << n;
  }
}

// Validity is the structure check every reader decides by: a sealed file
// whose record lies past its end, or straddles it, is not a valid pulse
// file, and no file-level operation reads or writes it.
TEST_F(PulseFileModel, ARecordNotWhollyInsideTheFileMakesItInvalid) {
  std::string bytes = TwoTRecords().Unsealed();
  const std::string sealed = SealedBytes(bytes);
  TRecordHeader record;
  record.SetGain(3.0f);
  for (uint64_t at : {uint64_t{sealed.size()} + 1000, uint64_t{sealed.size()} - 135}) {
    std::string moved = bytes;
    PutU32(moved, format::EntryPosition(1), static_cast<uint32_t>(at));
    const std::string file = SealedBytes(moved);
    WriteFile(Spf(), file);
    EXPECT_EQ(ValidatePulseFile(Spf()), 0) << at;
    EXPECT_FALSE(ReadPulseFileHeader(Spf()).has_value()) << at;
    EXPECT_FALSE(ReadRecordHeader(Spf(), 0).has_value()) << at;
    EXPECT_EQ(WriteRecordHeader(Spf(), 1, record), 0) << at;
    EXPECT_EQ(ReadFile(Spf()), file) << at;
  }
}

TEST_F(PulseFileModel, WriteRecordHeaderOverwritesInPlaceAndLeavesTheSealToTheCaller) {
  PulseFileBuilder b = TwoTRecords();
  const std::string before = b.Sealed();
  WriteFile(Spf(), before);
  auto record = ReadRecordHeader(Spf(), 1);
  ASSERT_TRUE(record);
  record->SetGain(7.75f);
  EXPECT_EQ(WriteRecordHeader(Spf(), 1, *record), 1);
  const std::string after = ReadFile(Spf());
  ASSERT_EQ(after.size(), before.size());
  const size_t gain = GetU32(before, format::EntryPosition(1)) + format::kTHeader.Offset("GAIN");
  EXPECT_EQ(GetF32(after, gain), 7.75f);
  EXPECT_EQ(after.substr(0, gain), before.substr(0, gain));
  EXPECT_EQ(after.substr(gain + 4), before.substr(gain + 4));
  EXPECT_EQ(ValidatePulseFile(Spf()), 0);  // not sealed yet

  RecordedConverter run;
  run.SealPulseFile(scratch / "data");
  EXPECT_EQ(LastStatus(run.trace), "conversion complete");
  EXPECT_EQ(ValidatePulseFile(Spf()), 1);
  EXPECT_EQ(ReadRecordHeader(Spf(), 1)->Gain(), 7.75f);
}

TEST_F(PulseFileModel, WriteRecordHeaderWithTheSameWordSumKeepsTheFileValid) {
  TwoTRecords().WriteSealed(Spf());
  auto record = ReadRecordHeader(Spf(), 0);
  ASSERT_TRUE(record);
  // "first" becomes "girst" less one in its third letter: two low bytes of
  // words move by +1 and -1, and the word sum stays.
  ASSERT_EQ(record->bytes[0], 'f');
  ASSERT_EQ(record->bytes[2], 'r');
  record->bytes[0] = 'g';
  record->bytes[2] = 'q';
  EXPECT_EQ(WriteRecordHeader(Spf(), 0, *record), 1);
  EXPECT_EQ(ValidatePulseFile(Spf()), 1);
}

class SealPulseFile : public PulseFileModel {
 protected:
  // Seals data.spf by name: the seal opens the file itself.
  TraceRecorder SealByName() {
    RecordedConverter run;
    run.SealPulseFile(scratch / "data");
    return run.trace;
  }
};

TEST_F(SealPulseFile, ZeroSumFileGetsAZeroWordAndStaysValid) {
  const std::string sealed = TwoTRecords().Sealed();
  WriteFile(Spf(), sealed);
  TraceRecorder trace = SealByName();
  EXPECT_EQ(trace.Joined(), "progress: 0\nstatus: conversion complete\n");
  EXPECT_EQ(ReadFile(Spf()), sealed + std::string(2, '\0'));
  EXPECT_EQ(ValidatePulseFile(Spf()), 1);
}

TEST_F(SealPulseFile, SealingTwiceAddsFourBytes) {
  const std::string sealed = TwoTRecords().Sealed();
  WriteFile(Spf(), sealed);
  SealByName();
  SealByName();
  EXPECT_EQ(ReadFile(Spf()).size(), sealed.size() + 4);
  EXPECT_EQ(ValidatePulseFile(Spf()), 1);
}

TEST_F(SealPulseFile, AppendsTheWordThatBringsTheSumToZero) {
  const std::string unsealed = TwoTRecords().Unsealed();
  ASSERT_EQ(unsealed.size() % 2, 0u);
  WriteFile(Spf(), unsealed);
  EXPECT_EQ(LastStatus(SealByName()), "conversion complete");
  EXPECT_EQ(ReadFile(Spf()), SealedBytes(unsealed));
  EXPECT_EQ(ValidatePulseFile(Spf()), 1);
}

TEST_F(SealPulseFile, OddLengthFileFirstGetsAZeroByteAndEndsValid) {
  for (const char* tail : {"\x01", "\x7f", "\xff"}) {
    const std::string odd = TwoTRecords().Unsealed() + tail;
    WriteFile(Spf(), odd);
    EXPECT_EQ(LastStatus(SealByName()), "conversion complete");
    const std::string after = ReadFile(Spf());
    ASSERT_EQ(after.size(), odd.size() + 3) << int(tail[0]);
    EXPECT_EQ(after.substr(0, odd.size() + 1), odd + std::string(1, '\0'));
    EXPECT_EQ(ValidatePulseFile(Spf()), 1) << int(tail[0]);
  }
}

TEST_F(SealPulseFile, FileThatCannotBeOpenedIsReportedAndNothingIsCreated) {
  TraceRecorder trace = SealByName();
  EXPECT_EQ(trace.Joined(), "status: Can't open " + Spf() + " for writing\n");
  EXPECT_FALSE(fs::exists(Spf()));

  fs::create_directory(Spf());
  trace = SealByName();
  EXPECT_EQ(trace.Joined(), "status: Can't open " + Spf() + " for writing\n");
}

}  // namespace
}  // namespace orvane::testing
