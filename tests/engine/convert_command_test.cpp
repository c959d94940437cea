// The Convert command: the base name rule, the empty name, the direction
// flag, and the start of the progress protocol.
#include <gtest/gtest.h>
#include <unistd.h>

#include "orvane/convert.h"
#include "orvane/pulse_file.h"
#include "pulse_file_builder.h"
#include "text_lines.h"

namespace orvane::testing {
namespace {

TEST(BaseName, StripsExactlySpfAndPfh) {
  EXPECT_EQ(DeriveBaseName("data"), "data");
  EXPECT_EQ(DeriveBaseName("data.spf"), "data");
  EXPECT_EQ(DeriveBaseName("data.pfh"), "data");
  EXPECT_EQ(DeriveBaseName("data.SPF"), "data.SPF");
  EXPECT_EQ(DeriveBaseName("data.Pfh"), "data.Pfh");
  EXPECT_EQ(DeriveBaseName("a.b.spf"), "a.b");
  EXPECT_EQ(DeriveBaseName("data.spf.pfh"), "data.spf");
  EXPECT_EQ(DeriveBaseName("data.T0"), "data.T0");
  EXPECT_EQ(DeriveBaseName("old.dir\\data"), "old.dir\\data");
  EXPECT_EQ(DeriveBaseName(".spf"), ".spf");
  EXPECT_EQ(DeriveBaseName(".pfh"), ".pfh");
  EXPECT_EQ(DeriveBaseName("data."), "data.");
  EXPECT_EQ(DeriveBaseName("data.spfx"), "data.spfx");
}

// Runs in a scratch directory made the working directory, so that names
// are used exactly as a user types them.
class ConvertCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    char buf[4096];
    ASSERT_NE(::getcwd(buf, sizeof buf), nullptr);
    oldDir_ = buf;
    ASSERT_EQ(::chdir(scratch.path().c_str()), 0);
  }
  void TearDown() override { ASSERT_EQ(::chdir(oldDir_.c_str()), 0); }

  static void WriteEmptyPulseFile(const std::string& path) { PulseFileBuilder().WriteSealed(path); }

  ScratchDir scratch;

 private:
  std::string oldDir_;
};

TEST_F(ConvertCommand, EmptyNameIsRefusedWithoutAProgressStep) {
  RecordedConverter run;
  run.Convert("", true, true);
  EXPECT_EQ(run.trace.Joined(), "status: File name required\n");
  EXPECT_EQ(run.outcome.code, Failure::FileNameRequired);
  EXPECT_EQ(run.outcome.message, "File name required");
  EXPECT_TRUE(scratch.Files().empty());
}

struct NameCase {
  std::string typed;
  std::string pulseFile;   // the file the export reads
  std::string headerFile;  // the file it writes
};

TEST_F(ConvertCommand, ExportFindsItsFilesByTheBaseName) {
  const NameCase cases[] = {
      {"data", "data.spf", "data.pfh"},     {"data.spf", "data.spf", "data.pfh"},
      {"data.pfh", "data.spf", "data.pfh"}, {"data.SPF", "data.SPF.spf", "data.SPF.pfh"},
      {"a.b.spf", "a.b.spf", "a.b.pfh"},    {"old.dir\\data", "old.dir\\data.spf", "old.dir\\data.pfh"},
      {".spf", ".spf.spf", ".spf.pfh"},     {"data.", "data..spf", "data..pfh"},
  };
  for (const auto& c : cases) {
    for (const auto& name : scratch.Files()) fs::remove(scratch.path() / name);
    WriteEmptyPulseFile(c.pulseFile);
    RecordedConverter run;
    run.Convert(c.typed, true, true);
    EXPECT_EQ(LastStatus(run.trace), "conversion complete") << c.typed;
    EXPECT_TRUE(fs::exists(c.headerFile)) << c.typed;
    std::vector<std::string> expected = {c.pulseFile, c.headerFile};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(scratch.Files(), expected) << c.typed;
  }
}

TEST_F(ConvertCommand, UpperCaseSuffixIsPartOfTheBaseName) {
  WriteEmptyPulseFile("data.spf");
  RecordedConverter run;
  run.Convert("data.SPF", true, true);
  EXPECT_EQ(LastStatus(run.trace), "Can't open data.SPF.spf for reading");
  EXPECT_FALSE(fs::exists("data.pfh"));
  EXPECT_FALSE(fs::exists("data.SPF.pfh"));
}

TEST_F(ConvertCommand, EveryRunStartsTheProgressAtOne) {
  RecordedConverter run;
  run.Convert("data", true, true);  // no pulse file: stops at once
  EXPECT_EQ(run.trace.Joined(), "progress: 1\nstatus: Can't open data.spf for reading\n");
  EXPECT_EQ(ProgressPositions(run.trace).back(), 1);

  std::string bad = PulseFileBuilder().Sealed();
  bad[10] = 1;
  WriteFile("data.spf", bad);
  run.trace.lines.clear();
  run.Convert("data", true, true);
  EXPECT_EQ(ProgressPositions(run.trace).back(), 3);
  run.trace.lines.clear();
  run.Convert("data", true, true);
  EXPECT_EQ(ProgressPositions(run.trace), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(LastStatus(run.trace), "checksum error:  1");
}

}  // namespace
}  // namespace orvane::testing
