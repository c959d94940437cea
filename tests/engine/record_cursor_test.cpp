// The record converters called one by one, as the drivers call them: the
// position of the pulse file is the cursor handed from call to call.
#include <gtest/gtest.h>

#include "pulse_file_builder.h"
#include "run_checks.h"

namespace orvane::testing {
namespace {

class RecordCursor : public ::testing::Test {
 protected:
  std::string Base() const { return scratch / "data"; }
  std::unique_ptr<io::File> OpenAt(uint64_t position, io::File::Mode mode) {
    auto file = io::File::Open(Base() + ".spf", mode);
    EXPECT_TRUE(file);
    if (file && !file->Seek(position)) ADD_FAILURE() << "seek to " << position;
    return file;
  }
  ScratchDir scratch;
  RecordedConverter run;
};

PulseFileBuilder ThreeKinds() {
  PulseFileBuilder b;
  TRecordSpec t0, t1;
  t0.samples = {1, 2, 3};
  t1.samples = {4};
  RRecordSpec r;
  r.samples = {0.5f, 1.5f};
  IRecordSpec i;
  i.samples = {7, 8, 9};
  b.t = {t0, t1};
  b.r = {r};
  b.i = {i};
  return b;
}

TEST_F(RecordCursor, EachExportTakesExactlyOneEntry) {
  ThreeKinds().WriteSealed(Base() + ".spf");
  auto file = OpenAt(316, io::File::Mode::Read);
  run.converter.ExportTRecord(Base(), *file, 0);
  EXPECT_EQ(file->Tell(), 320u);
  run.converter.ExportTRecord(Base(), *file, 1);
  EXPECT_EQ(file->Tell(), 324u);
  run.converter.ExportRRecord(Base(), *file, 0);
  EXPECT_EQ(file->Tell(), 328u);
  run.converter.ExportIRecord(Base(), *file, 0);
  EXPECT_EQ(file->Tell(), 332u);
  EXPECT_TRUE(run.trace.lines.empty()) << run.trace.Joined();
  for (const char* name : {"data.T0", "data.T1", "data.R0", "data.I0"}) EXPECT_TRUE(fs::exists(scratch / name));
}

TEST_F(RecordCursor, NumberOnlyNamesTheTextFile) {
  ThreeKinds().WriteSealed(Base() + ".spf");
  auto file = OpenAt(320, io::File::Mode::Read);  // the entry of T record 1
  run.converter.ExportTRecord(Base(), *file, 5);
  EXPECT_EQ(file->Tell(), 324u);
  const std::vector<std::string> lines = SplitLines(ReadFile(Base() + ".T5"));
  ASSERT_EQ(lines.size(), 16u);
  EXPECT_EQ(lines[15], "     0:       4   ");
}

TEST_F(RecordCursor, ExportThatCannotWriteItsTextStillTakesTheEntry) {
  ThreeKinds().WriteSealed(Base() + ".spf");
  fs::create_directory(Base() + ".T0");
  auto file = OpenAt(316, io::File::Mode::Read);
  run.converter.ExportTRecord(Base(), *file, 0);
  EXPECT_EQ(run.trace.Joined(), "status: Can't open " + Base() + ".T0 for writing\n");
  EXPECT_EQ(file->Tell(), 320u);
  run.converter.ExportTRecord(Base(), *file, 1);
  EXPECT_EQ(file->Tell(), 324u);
  EXPECT_EQ(SplitLines(ReadFile(Base() + ".T1")).at(15), "     0:       4   ");
}

TEST_F(RecordCursor, ExportOfAnUnreachableRecordStillTakesTheEntry) {
  std::string bytes = ThreeKinds().Unsealed();
  PutU32(bytes, 316, 1u << 24);
  WriteFile(Base() + ".spf", SealedBytes(bytes));
  auto file = OpenAt(316, io::File::Mode::Read);
  run.converter.ExportTRecord(Base(), *file, 0);
  EXPECT_EQ(run.trace.Joined(), "status: Binary read error\n");
  EXPECT_EQ(file->Tell(), 320u);
}

// Imports append at the cursor and leave it at the end of what they wrote.
TEST_F(RecordCursor, EachImportEndsWhereItsRecordEnds) {
  ThreeKinds().WriteSealed(Base() + ".spf");
  {
    auto file = OpenAt(316, io::File::Mode::Read);
    run.converter.ExportTRecord(Base(), *file, 0);
    run.converter.ExportTRecord(Base(), *file, 1);
    run.converter.ExportRRecord(Base(), *file, 0);
    run.converter.ExportIRecord(Base(), *file, 0);
  }
  WriteFile(Base() + ".spf", "");
  auto out = OpenAt(0, io::File::Mode::Update);
  EXPECT_EQ(run.converter.ImportTRecord(Base(), *out, 0), 1);
  EXPECT_EQ(out->Tell(), 136u + 6 + 2);  // three samples and the pad
  EXPECT_EQ(run.converter.ImportTRecord(Base(), *out, 1), 1);
  EXPECT_EQ(out->Tell(), 144u + 136 + 2 + 2);
  EXPECT_EQ(run.converter.ImportRRecord(Base(), *out, 0), 1);
  EXPECT_EQ(out->Tell(), 284u + 152 + 8);
  EXPECT_EQ(run.converter.ImportIRecord(Base(), *out, 0), 1);
  EXPECT_EQ(out->Tell(), 444u + 124 + 6 + 2);
  ASSERT_TRUE(out->Close());
  EXPECT_EQ(ReadFile(Base() + ".spf").size(), 576u);
  EXPECT_TRUE(run.trace.lines.empty()) << run.trace.Joined();
}

TEST_F(RecordCursor, ImportWithoutItsTextFileWritesNothing) {
  WriteFile(Base() + ".spf", "abc");
  auto out = OpenAt(3, io::File::Mode::Update);
  EXPECT_EQ(run.converter.ImportIRecord(Base(), *out, 2), 0);
  EXPECT_EQ(run.trace.Joined(), "status: Can't open " + Base() + ".I2 for reading\n");
  EXPECT_EQ(out->Tell(), 3u);
  ASSERT_TRUE(out->Close());
  EXPECT_EQ(ReadFile(Base() + ".spf"), "abc");
}

}  // namespace
}  // namespace orvane::testing
