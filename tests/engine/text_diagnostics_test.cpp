// The diagnostics of an import's text through the public API: one list,
// in the order of the files and their lines, whatever the threads; the
// same from CheckText, which writes nothing; never a change of the run's
// protocol; and the refusal of a strict import.
#include <gtest/gtest.h>

#include <set>

#include "orvane/convert.h"
#include "orvane/text_diagnostics.h"
#include "test_support.h"

namespace orvane::testing {
namespace {

// Records the protocol of a run and, apart from it, its diagnostics.
class DiagnosticRecorder : public TraceRecorder {
 public:
  void ShowDiagnostic(const TextDiagnostic& diagnostic) override { diagnostics.push_back(diagnostic); }
  std::vector<std::string> Messages() const {
    std::vector<std::string> out;
    for (const TextDiagnostic& d : diagnostics) out.push_back(d.Message());
    return out;
  }
  std::vector<TextDiagnostic> diagnostics;
};

// The mixed golden case's labelled text in a scratch folder, with edits.
class TextDiagnostics : public ::testing::Test {
 protected:
  void SetUp() override { WriteSnapshot(scratch.path(), GoldenTexts(GoldenDir() / "mixed" / "labelled")); }

  // Replaces line `number` (from 1) of a text file.
  void EditLine(const std::string& file, size_t number, const std::string& text) {
    std::string all = ReadFile(scratch / file);
    size_t start = 0;
    for (size_t n = 1; n < number; ++n) start = all.find('\n', start) + 1;
    all.replace(start, all.find('\n', start) - start, text);
    WriteFile(scratch / file, all);
  }

  Outcome Import(ConversionReporter& reporter, unsigned threads, bool strict = false) {
    ConversionRequest request;
    request.fileName = scratch / "data.pfh";
    request.direction = Direction::FromText;
    request.threads = threads;
    request.strict = strict;
    return Convert(request, reporter);
  }

  ScratchDir scratch;
};

TEST(TextIssueNames, AreLowerCaseAndEachItsOwn) {
  std::set<std::string> names;
  for (int k = 0; k < kTextIssueCount; ++k) {
    const std::string name = TextIssueName(static_cast<TextIssue>(k));
    EXPECT_TRUE(names.insert(name).second) << name;
    for (char c : name) EXPECT_TRUE((c >= 'a' && c <= 'z') || c == '-') << name;
  }
  EXPECT_STREQ(TextIssueName(TextIssue::OutOfRange), "out-of-range");
  EXPECT_STREQ(TextIssueName(TextIssue::SampleLabel), "sample-label");
}

TEST_F(TextDiagnostics, OneListInFileOrderWhateverTheThreadsAndTheProtocolUnchanged) {
  DiagnosticRecorder clean;
  ASSERT_TRUE(Import(clean, 1).ok());
  EXPECT_TRUE(clean.diagnostics.empty());

  EditLine("data.pfh", 9, "PID : 70000");
  EditLine("data.R2", 3, "RATE: 1,5");
  EditLine("data.T2", 7, "SIZE: 57 samples");
  EditLine("data.I2", 1, "DESC:xyz");

  std::vector<std::string> expected = {
      scratch / "data.pfh:9:7: PID: 70000 does not fit in 16 bits; stored 4464",
      scratch / "data.T2:7:10: SIZE: \"57 samples\" has text after its number; stored 57",
      scratch / "data.R2:3:7: RATE: \"1,5\" is not a real number; stored 1",
      scratch / "data.I2:1:6: DESC: no blank after \"DESC:\"; stored \"yz\"",
  };
  for (unsigned threads : {1u, 4u}) {
    DiagnosticRecorder run;
    ASSERT_TRUE(Import(run, threads).ok()) << threads;
    EXPECT_EQ(run.Messages(), expected) << threads;
    EXPECT_EQ(run.lines, clean.lines) << "the statuses and progress of a clean run";
    EXPECT_EQ(run.diagnostics[0].field, "PID");
    EXPECT_EQ(run.diagnostics[0].issue, TextIssue::OutOfRange);
    EXPECT_EQ(run.diagnostics[0].line, 9u);
    EXPECT_EQ(run.diagnostics[0].column, 7u);
  }
  DiagnosticRecorder check;
  fs::remove(scratch / "data.spf");
  ConversionRequest request;
  request.fileName = scratch / "data";
  request.direction = Direction::FromText;
  const Outcome checked = CheckText(request, check);
  EXPECT_TRUE(checked.ok());
  EXPECT_EQ(check.Messages(), expected);
  EXPECT_FALSE(fs::exists(scratch / "data.spf")) << "a check writes nothing";
}

TEST_F(TextDiagnostics, StrictRefusesBeforeAnythingIsWritten) {
  WriteFile(scratch / "data.spf", OldVersionOf("data.spf"));
  EditLine("data.T0", 5, "GAIN: 0.5abc");
  for (unsigned threads : {1u, 4u}) {
    DiagnosticRecorder run;
    const Outcome outcome = Import(run, threads, true);
    EXPECT_EQ(outcome.code, Failure::TextNotExact);
    EXPECT_EQ(outcome.message,
              "Text of " + (scratch / "data.T0") + " does not match its fields; nothing written");
    EXPECT_EQ(outcome.path, scratch / "data.T0");
    ASSERT_EQ(run.diagnostics.size(), 1u);
    EXPECT_EQ(run.diagnostics[0].issue, TextIssue::TrailingText);
    const std::vector<std::string> protocol = {"progress: 1", "status: " + outcome.message};
    EXPECT_EQ(run.lines, protocol);
    EXPECT_EQ(ReadFile(scratch / "data.spf"), OldVersionOf("data.spf"));
    EXPECT_TRUE(TemporaryFilesIn(scratch.path()).empty());
  }
  // Clean text passes a strict import as any other.
  WriteSnapshot(scratch.path(), GoldenTexts(GoldenDir() / "mixed" / "labelled"));
  DiagnosticRecorder clean;
  EXPECT_TRUE(Import(clean, 0, true).ok());
  EXPECT_EQ(ReadFile(scratch / "data.spf"),
            ReadFile((GoldenDir() / "mixed" / "labelled" / "data.spf").string()));
}

}  // namespace
}  // namespace orvane::testing
