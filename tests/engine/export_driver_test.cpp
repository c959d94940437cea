// Convert to ASCII: the header text file, the failure table of the export
// driver, its progress protocol, and what a failed export leaves behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "conversion_fixture.h"
#include "header_text_fixture.h"
#include "orvane/pulse_file.h"
#include "pulse_file_builder.h"
#include "run_checks.h"

namespace orvane::testing {
namespace {

class ExportDriver : public ConversionTest {
 protected:
  TraceRecorder Export() { return ExportExisting(); }
};

// One record of each kind.
PulseFileBuilder OneOfEach() {
  PulseFileBuilder b;
  b.header.desc = "one of each";
  TRecordSpec t;
  t.samples = {1, -2, 3};
  RRecordSpec r;
  r.samples = {1.5f};
  IRecordSpec i;
  i.samples = {7};
  b.t = {t};
  b.r = {r};
  b.i = {i};
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
  b.header.desc = "a\nb\rc#d";
  b.header.pnam = "\r\n";
  b.header.pdes = "#";
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
  EXPECT_TRUE(TemporaryFiles(scratch).empty());
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
  wrongMagic.header.magic = 0x35799754;
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

// Every single failing system call of an export over old text files: the
// old header text stays or the complete new one replaces it, no temporary
// file is left, and a failed run ends on its first failure message.
TEST_P(ExportDriver, EveryFailingCallLeavesWholeFilesAndReportsItsFirstFailure) {
  OneOfEach().WriteSealed(Spf());
  ASSERT_EQ(LastStatus(Export()), "conversion complete");
  std::map<std::string, std::string> fresh;
  for (const auto& name : scratch.Files()) fresh[name] = ReadFile(scratch / name);
  const std::vector<std::string> textFiles = {"data.pfh", "data.T0", "data.R0", "data.I0"};

  auto writeOld = [&] {
    for (const auto& name : textFiles) WriteFile(scratch / name, "old " + name + "\n");
  };
  writeOld();
  io::FaultSeam::Arm(0);
  Export();
  const uint64_t calls = io::FaultSeam::CallsSeen();
  std::set<std::string> messages;
  for (uint64_t k = 1; k <= calls; ++k) {
    writeOld();
    io::FaultSeam::Arm(k);
    TraceRecorder trace = Export();
    io::FaultSeam::Disarm();
    const std::vector<std::string> statuses = Statuses(trace);
    ASSERT_FALSE(statuses.empty()) << k;
    EXPECT_TRUE(TemporaryFiles(scratch).empty()) << k;
    const std::string pfh = ReadFile(Pfh());
    EXPECT_TRUE(pfh == "old data.pfh\n" || pfh == fresh["data.pfh"]) << k;
    if (statuses.back() == "conversion complete") {
      EXPECT_EQ(statuses.size(), 1u) << k;
      for (const auto& name : textFiles) EXPECT_EQ(ReadFile(scratch / name), fresh[name]) << k << name;
      continue;
    }
    messages.insert(statuses.front());
    EXPECT_EQ(statuses.back(), statuses.front()) << k;
    EXPECT_EQ(std::find(statuses.begin(), statuses.end(), "conversion complete"), statuses.end()) << k;
    const std::vector<int> progress = ProgressPositions(trace);
    EXPECT_NE(progress.back(), 0) << k;
    // A run that stops before the header text is written keeps the old one.
    if (std::find(progress.begin(), progress.end(), 6) == progress.end()) {
      EXPECT_EQ(pfh, "old data.pfh\n") << k;
    }
    // A failed read during the checksum pass, whatever the partial sum, and
    // a failed seek to the offset table stop the run where they happen.
    if (statuses.front() == "binary read error:  " + Spf() || statuses.front() == "seek error:  " + Spf()) {
      EXPECT_EQ(statuses.size(), 1u) << k;
      EXPECT_EQ(progress, (std::vector<int>{1, 2, 3})) << k;
    }
  }
  // The checksum pass and the seek to the offset table were among the
  // failing calls: either failure stops the run before the header text.
  EXPECT_TRUE(messages.count("binary read error:  " + Spf())) << ::testing::PrintToString(messages);
  EXPECT_TRUE(messages.count("seek error:  " + Spf())) << ::testing::PrintToString(messages);
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, ExportDriver, BothLayoutsAnyThreads(), LayoutName);

}  // namespace
}  // namespace orvane::testing
