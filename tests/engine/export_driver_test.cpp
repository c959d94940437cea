// Convert to ASCII: the header text file, the failure table of the export
// driver, its progress protocol, and what a failed export leaves behind
// (every failing call of an export: fault_walk_test.cpp).
#include <gtest/gtest.h>

#include "conversion_fixture.h"
#include "header_text_fixture.h"
#include "orvane/pulse_file.h"
#include "pulse_file_builder.h"
#include "text_lines.h"

namespace orvane::testing {
namespace {

class ExportDriver : public ConversionTest {
 protected:
  TraceRecorder Export() { return ExportExisting(); }
};

// One record of each kind.
PulseFileBuilder OneOfEach() {
  PulseFileBuilder b;
  b.header.Text("DESC", "one of each");
  b.records = {BuiltRecord::T({1, -2, 3}), BuiltRecord::R({1.5f}), BuiltRecord::I({7})};
  return b;
}

TEST_P(ExportDriver, WritesTheHeaderTextOfEdgeValues) {
  PulseFileBuilder b;
  b.header = EdgeHeader();
  b.WriteSealed(Spf());
  TraceRecorder trace = Export();
  EXPECT_EQ(trace.Joined(),
            "progress: 1\nprogress: 2\nprogress: 3\nprogress: 5\nprogress: 6\nprogress: 7\n"
            "progress: 8\nprogress: 9\nprogress: 0\nstatus: conversion complete\n");
  EXPECT_EQ(ReadFile(Pfh()), EdgeHeaderText(Labelled()));
  EXPECT_EQ(scratch.Files(), (std::vector<std::string>{"data.pfh", "data.spf"}));
}

TEST_P(ExportDriver, ProgressIsTheSameWithRecords) {
  OneOfEach().WriteSealed(Spf());
  TraceRecorder trace = Export();
  EXPECT_EQ(ProgressPositions(trace), (std::vector<int>{1, 2, 3, 5, 6, 7, 8, 9, 0}));
  EXPECT_EQ(Statuses(trace), (std::vector<std::string>{"conversion complete"}));
  EXPECT_EQ(scratch.Files(),
            (std::vector<std::string>{"data.I0", "data.R0", "data.T0", "data.pfh", "data.spf"}));
}

TEST_P(ExportDriver, TextFieldsKeepTheirLineAndHashesStay) {
  PulseFileBuilder b;
  b.header.Text("DESC", "a\nb\rc#d").Text("PNAM", "\r\n").Text("PDES", "#");
  b.WriteSealed(Spf());
  Export();
  std::vector<std::string> lines = SplitLines(ReadFile(Pfh()));
  ASSERT_EQ(lines.size(), 23u);
  const std::string label = Labelled() ? "DESC: " : "";
  EXPECT_EQ(lines[1], label + "a b c#d");
  EXPECT_EQ(lines[3], (Labelled() ? "PNAM: " : "") + std::string("  "));
  EXPECT_EQ(lines[4], (Labelled() ? "PDES: " : "") + std::string("#"));
}

TEST_P(ExportDriver, MissingPulseFileCreatesNothing) {
  TraceRecorder trace = Export();
  EXPECT_EQ(trace.Joined(), "progress: 1\nstatus: Can't open " + Spf() + " for reading\n");
  EXPECT_TRUE(scratch.Files().empty());
}

TEST_P(ExportDriver, HeaderTextFileThatCannotBeCreated) {
  PulseFileBuilder().WriteSealed(Spf());
  fs::create_directory(Pfh());
  TraceRecorder trace = Export();
  EXPECT_EQ(trace.Joined(), "progress: 1\nstatus: Can't open " + Pfh() + " for writing\n");
  EXPECT_TRUE(fs::is_directory(Pfh()));
  EXPECT_TRUE(TemporaryFilesIn(scratch.path()).empty());
}

// The rows of the failure table that stop the run at a test of the pulse
// file, with the message each gives.
struct StoppingCase {
  const char* what;
  std::string bytes;
  std::string message;  // "%s" stands for the pulse file's name
};

std::vector<StoppingCase> StoppingCases() {
  const std::string valid = PulseFileBuilder().Sealed();
  std::string sumOne = valid;
  sumOne[10] = 1;
  std::string sumFF = valid;
  sumFF[10] = '\xff';
  PulseFileBuilder wrongMagic;
  wrongMagic.header.Int("MAGC", 0x35799754);
  std::string wrongMagicAndSum = wrongMagic.Sealed();
  wrongMagicAndSum[10] = 1;
  PulseFileBuilder hugeCount;
  hugeCount.counts = std::array<uint32_t, 3>{0xFFFFFFFF, 0, 0};
  PulseFileBuilder wrappingCounts;  // 2^31 + 2^31 wraps to 0 in 32 bits
  wrappingCounts.counts = std::array<uint32_t, 3>{0x80000000, 0x80000000, 0};
  PulseFileBuilder tableBeyondFile;
  tableBeyondFile.counts = std::array<uint32_t, 3>{0, 1, 1};
  return {
      {"short header", valid.substr(0, 315), "Binary read error on %s"},
      {"empty file", "", "Binary read error on %s"},
      {"wrong magic", wrongMagic.Sealed(), "Invalid magic number"},
      {"magic before checksum", wrongMagicAndSum, "Invalid magic number"},
      {"word sum 1", sumOne, "checksum error:  1"},
      {"word sum 255", sumFF, "checksum error:  FF"},
      {"count beyond the file", SealedBytes(hugeCount.Unsealed()), "Invalid record count"},
      {"counts that wrap", SealedBytes(wrappingCounts.Unsealed()), "Invalid record count"},
      {"table beyond the file", tableBeyondFile.Sealed(), "Invalid record count"},
  };
}

std::string WithName(std::string message, const std::string& name) {
  size_t at = message.find("%s");
  if (at != std::string::npos) message.replace(at, 2, name);
  return message;
}

TEST_P(ExportDriver, FailedTestsOfThePulseFileKeepTheOldHeaderText) {
  for (const auto& c : StoppingCases()) {
    WriteFile(Spf(), c.bytes);
    WriteFile(Pfh(), "old header text\n");
    TraceRecorder trace = Export();
    EXPECT_EQ(Statuses(trace), std::vector<std::string>{WithName(c.message, Spf())}) << c.what;
    EXPECT_EQ(ReadFile(Pfh()), "old header text\n") << c.what;
    EXPECT_EQ(scratch.Files(), (std::vector<std::string>{"data.pfh", "data.spf"})) << c.what;
  }
}

TEST_P(ExportDriver, FailedTestsOfThePulseFileCreateNoHeaderText) {
  for (const auto& c : StoppingCases()) {
    WriteFile(Spf(), c.bytes);
    TraceRecorder trace = Export();
    EXPECT_EQ(LastStatus(trace), WithName(c.message, Spf())) << c.what;
    EXPECT_EQ(scratch.Files(), (std::vector<std::string>{"data.spf"})) << c.what;
  }
}

TEST_P(ExportDriver, StoppingTestsLeaveTheProgressWhereItWas) {
  const auto cases = StoppingCases();
  WriteFile(Spf(), cases[0].bytes);  // short header
  EXPECT_EQ(ProgressPositions(Export()), (std::vector<int>{1, 2}));
  WriteFile(Spf(), cases[2].bytes);  // wrong magic
  EXPECT_EQ(ProgressPositions(Export()), (std::vector<int>{1, 2}));
  WriteFile(Spf(), cases[4].bytes);  // word sum 1
  EXPECT_EQ(ProgressPositions(Export()), (std::vector<int>{1, 2, 3}));
  WriteFile(Spf(), cases[5].bytes);  // word sum 255
  EXPECT_EQ(ProgressPositions(Export()), (std::vector<int>{1, 2, 3}));
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, ExportDriver, BothLayoutsAnyThreads(), LayoutName);

}  // namespace
}  // namespace orvane::testing
