// Long records whose text mixes the export's own value lines, read in runs
// by their columns, with lines of other shapes, read by the line reader:
// the import gives the same pulse file, and a bad line is reported by its
// number wherever it falls.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "orvane/format.h"
#include "pulse_file_builder.h"
#include "text_lines.h"

namespace orvane::testing {
namespace {

// A pulse file of one T record and one R record, long enough that their
// text spans several buffers of the line reader.
PulseFileBuilder LongRecords() {
  std::vector<int16_t> words;
  for (int k = 0; k < 300002; ++k) words.push_back(static_cast<int16_t>(k * 7919));
  std::vector<float> reals;
  for (int k = 0; k < 150002; ++k) reals.push_back(static_cast<float>(k % 1013) * -0.375f + 1e-3f * k);
  PulseFileBuilder file;
  file.records = {BuiltRecord::T(words), BuiltRecord::R(reals)};
  file.records[0].header.Text("DESC", "words");
  file.records[1].header.Text("DESC", "reals");
  return file;
}

// Line n (from 1) of text, without its line feed.
std::string& LineOf(std::vector<std::string>& lines, size_t n) { return lines.at(n - 1); }

class CanonicalRuns : public ::testing::TestWithParam<bool> {
 protected:
  bool Labelled() const { return GetParam(); }
  void ExportLongRecords() {
    LongRecords().WriteSealed(dir / "data.spf");
    original = ReadFile(dir / "data.spf");
    RecordedConverter run;
    run.Convert(dir / "data", true, Labelled());
    ASSERT_EQ(LastStatus(run.trace), "conversion complete");
  }
  std::string Import() {
    std::filesystem::remove(dir / "data.spf");
    RecordedConverter run;
    run.Convert(dir / "data", false, Labelled());
    return LastStatus(run.trace);
  }
  // Rewrites the text file of a record through edit.
  template <typename Edit>
  void EditText(const std::string& name, Edit edit) {
    std::vector<std::string> lines = SplitLines(ReadFile(dir / name));
    edit(lines);
    WriteFile(dir / name, JoinLines(lines));
  }

  ScratchDir dir;
  std::string original;
};

TEST_P(CanonicalRuns, LinesOfOtherShapesAmongThemReadAsBefore) {
  ExportLongRecords();
  const size_t firstWords = format::kTHeader.fields.size() + 1;
  const size_t firstReals = format::kRHeader.fields.size() + 1;
  EditText("data.T0", [&](std::vector<std::string>& lines) {
    LineOf(lines, firstWords + 3) += "   # a comment after the samples";
    LineOf(lines, firstWords + 1000) += "\r";
    LineOf(lines, firstWords + 20000).insert(0, "\t");
    LineOf(lines, firstWords + 30000) += "      ";
    LineOf(lines, firstWords + 30001).insert(0, " ");
  });
  EditText("data.R0", [&](std::vector<std::string>& lines) {
    LineOf(lines, firstReals + 10) += "\r";
    std::string& line = LineOf(lines, firstReals + 5000);
    line.replace(line.find('e'), 1, "E");
  });
  ASSERT_EQ(Import(), "conversion complete");
  const std::string rebuilt = ReadFile(dir / "data.spf");
  // The words come back exactly; the reals as their eight digits say, which
  // the round trip without changes gives too.
  ASSERT_EQ(rebuilt.size(), original.size());
  const size_t wordsAt = 316 + 8 + 136;
  EXPECT_EQ(rebuilt.substr(wordsAt, 300002 * 2), original.substr(wordsAt, 300002 * 2));
  const std::string changed = rebuilt;
  RecordedConverter again;
  again.Convert(dir / "data", true, Labelled());
  ASSERT_EQ(Import(), "conversion complete");
  EXPECT_EQ(ReadFile(dir / "data.spf"), changed);
}

TEST_P(CanonicalRuns, ABadLineIsReportedByItsNumber) {
  ExportLongRecords();
  const size_t firstReals = format::kRHeader.fields.size() + 1;
  for (size_t bad : {firstReals, size_t{4107}, size_t{33333}}) {
    WriteFile(dir / "data.spf", original);
    RecordedConverter fresh;
    fresh.Convert(dir / "data", true, Labelled());
    EditText("data.R0", [&](std::vector<std::string>& lines) {
      std::string& line = LineOf(lines, bad);
      // The leading digit of the second real: no number there.
      line[(Labelled() ? line.find(':') + 3 : 0) + 18 + 1] = 'x';
    });
    const std::string message = Import();
    EXPECT_EQ(message, "ASCII read error on " + (dir / "data.R0") + " line " + std::to_string(bad)) << bad;
  }
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, CanonicalRuns, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& p) {
                           return p.param ? "Labelled" : "Bare";
                         });

}  // namespace
}  // namespace orvane::testing
