// Every golden case, both layouts, both directions, byte for byte, with the
// exact protocol of status messages and progress positions.
#include <gtest/gtest.h>

#include "test_support.h"

namespace orvane::testing {
namespace {

struct GoldenCase {
  std::string name;
  std::string layout;  // "labelled" or "bare"
};

std::vector<GoldenCase> AllCases() {
  std::vector<GoldenCase> cases;
  for (const auto& dir : fs::directory_iterator(GoldenDir())) {
    if (!dir.is_directory()) continue;
    for (const char* layout : {"labelled", "bare"}) cases.push_back({dir.path().filename().string(), layout});
  }
  std::sort(cases.begin(), cases.end(),
            [](const auto& a, const auto& b) { return a.name + a.layout < b.name + b.layout; });
  return cases;
}

std::vector<std::string> TextFilesOf(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    std::string file = entry.path().filename().string();
    if (file.rfind("data.", 0) == 0 && file != "data.spf") names.push_back(file);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The trace files start after the first progress step, which Convert makes.
std::string ExpectedTrace(const fs::path& file) { return "progress: 1\n" + ReadFile(file.string()); }

class Golden : public ::testing::TestWithParam<GoldenCase> {
 protected:
  fs::path CaseDir() const { return GoldenDir() / GetParam().name; }
  fs::path LayoutDir() const { return CaseDir() / GetParam().layout; }
  bool Labelled() const { return GetParam().layout == "labelled"; }
  ScratchDir scratch;
};

TEST_P(Golden, ExportWritesTheGoldenTextFiles) {
  fs::copy_file(CaseDir() / "data.spf", scratch / "data.spf");
  RecordedConverter run;
  run.Convert(scratch / "data.spf", true, Labelled());
  EXPECT_EQ(run.trace.Joined(), ExpectedTrace(LayoutDir() / "export.trace"));
  std::vector<std::string> expected = TextFilesOf(LayoutDir());
  expected.push_back("data.spf");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(scratch.Files(), expected);
  for (const auto& file : TextFilesOf(LayoutDir()))
    EXPECT_EQ(ReadFile(scratch / file), ReadFile((LayoutDir() / file).string())) << file;
}

TEST_P(Golden, ImportBuildsTheGoldenPulseFile) {
  for (const auto& file : TextFilesOf(LayoutDir())) fs::copy_file(LayoutDir() / file, scratch / file);
  RecordedConverter run;
  run.Convert(scratch / "data.pfh", false, Labelled());
  EXPECT_EQ(run.trace.Joined(), ExpectedTrace(LayoutDir() / "import.trace"));
  EXPECT_EQ(ReadFile(scratch / "data.spf"), ReadFile((LayoutDir() / "data.spf").string()));
}

TEST_P(Golden, WindowsLineEndsImportTheSame) {
  for (const auto& file : TextFilesOf(LayoutDir())) {
    std::string text = ReadFile((LayoutDir() / file).string()), crlf;
    for (char c : text) {
      if (c == '\n') crlf += '\r';
      crlf += c;
    }
    WriteFile(scratch / file, crlf);
  }
  RecordedConverter run;
  run.Convert(scratch / "data", false, Labelled());
  EXPECT_EQ(run.trace.lines.back(), "status: conversion complete");
  EXPECT_EQ(ReadFile(scratch / "data.spf"), ReadFile((LayoutDir() / "data.spf").string()));
}

TEST_P(Golden, SecondExportRepeatsTheTextOfTheImportedFile) {
  fs::copy_file(LayoutDir() / "data.spf", scratch / "data.spf");
  RecordedConverter first;
  first.Convert(scratch / "data", true, Labelled());
  ASSERT_EQ(first.trace.lines.back(), "status: conversion complete");
  std::vector<std::string> texts;
  for (const auto& file : TextFilesOf(LayoutDir())) texts.push_back(ReadFile(scratch / file));
  RecordedConverter back;
  back.Convert(scratch / "data", false, Labelled());
  ASSERT_EQ(ReadFile(scratch / "data.spf"), ReadFile((LayoutDir() / "data.spf").string()));
  RecordedConverter again;
  again.Convert(scratch / "data", true, Labelled());
  size_t i = 0;
  for (const auto& file : TextFilesOf(LayoutDir())) EXPECT_EQ(ReadFile(scratch / file), texts[i++]) << file;
}

INSTANTIATE_TEST_SUITE_P(AllGoldenCases, Golden, ::testing::ValuesIn(AllCases()), [](const auto& testInfo) {
  return TestNameOf(testInfo.param.name + "_" + testInfo.param.layout);
});

}  // namespace
}  // namespace orvane::testing
