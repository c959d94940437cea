// Line ends. Text files written on Windows end their lines with a carriage
// return and a line feed; they read exactly like ours, wherever the line
// end falls: after a remark, at the 120-character limit, across the line
// reader's buffer. A carriage return anywhere else is an ordinary character
// of the line, kept in a text field.
#include <gtest/gtest.h>

#include <cstring>

#include "text/text_line_reader.h"
#include "text_lines.h"

namespace orvane::testing {
namespace {

struct ReaderCase {
  std::string what;
  std::string text;
  std::vector<std::string> lines;  // as delivered, without the blanks that pad them to 120
};

const size_t kMegabyte = size_t{1} << 20;

std::vector<ReaderCase> ReaderCases() {
  std::vector<ReaderCase> cases = {
      {"CR LF ends the line, after a remark too",
       "abc\r\n\r\nlast\r\n# remark\r\nx # y\r\n",
       {"abc", "", "last", "", "x "}},
      {"a remark right before CR LF", "12 # remark\r\n", {"12 "}},
      {"a remark alone before CR LF", "#\r\n5\r\n", {"", "5"}},
      {"CR elsewhere is kept", "a\rb\n\r\r\nc\r", {"a\rb", "\r", "c\r"}},
      {"a long CR LF line is cut", std::string(130, 'w') + "\r\nnext\r\n", {std::string(120, 'w'), "next"}},
      {"CR as the 120th character belongs to the line end",
       std::string(119, 'a') + "\r\nb\n",
       {std::string(119, 'a'), "b"}},
      {"120 characters before LF and before CR LF",
       std::string(120, 'q') + "\n" + std::string(120, 'q') + "\r\nz",
       {std::string(120, 'q'), std::string(120, 'q'), "z"}},
      // The carriage return is the last byte of the first megabyte read.
      {"CR LF split across the file buffer",
       std::string(kMegabyte - 4, 'f') + "\nab\r\ncd\n",
       {std::string(120, 'f'), "ab", "cd"}},
      {"a line longer than the file buffer",
       std::string(kMegabyte + 77, 'h') + "\r\nsecond\n",
       {std::string(120, 'h'), "second"}},
  };
  for (size_t length : {119u, 120u, 121u})
    cases.push_back({"CR LF after " + std::to_string(length) + " characters",
                     std::string(length, 'x') + "\r\nnext\r\n",
                     {std::string(std::min<size_t>(length, 120), 'x'), "next"}});
  return cases;
}

TEST(LineEnds, TheLineReaderEndsALineAtLfOrCrLfOnly) {
  for (const ReaderCase& c : ReaderCases()) {
    ScratchDir dir;
    WriteFile(dir / "lines.txt", c.text);
    auto file = io::File::Open(dir / "lines.txt", io::File::Mode::Read);
    ASSERT_TRUE(file);
    std::vector<std::string> lines;
    for (char line[kTextLineChars + 1];; lines.emplace_back(line, kTextLineChars)) {
      std::memset(line, '?', sizeof line);
      if (ReadLineOfText(file.get(), line) != LineStatus::Delivered) break;
      EXPECT_EQ(line[kTextLineChars], '\0') << c.what;
    }
    std::vector<std::string> expected;
    for (const std::string& text : c.lines) expected.push_back(text + std::string(120 - text.size(), ' '));
    EXPECT_EQ(lines, expected) << c.what;
  }
}

// Imports the text files in a fresh folder: the pulse file and the last status.
std::pair<std::string, std::string> Imported(const DirSnapshot& texts, bool labelled) {
  ScratchDir dir;
  WriteSnapshot(dir.path(), texts);
  RecordedConverter run;
  run.Convert(dir / "data.pfh", false, labelled);
  return {ReadFile(dir / "data.spf"), LastStatus(run.trace)};
}

TEST(LineEnds, CarriageReturnsOfATextFieldStayButTheOneBeforeTheLineFeed) {
  const std::pair<const char*, std::string> cases[] = {
      {"ab\rcd", "ab\rcd"},
      {"ab\rcd\r", "ab\rcd"},
      {"abc\r\r", "abc\r"},
      // Line ends of old Macintosh files are not line ends here.
      {"one\rtwo\rthree", "one\rtwo\rthree"},
  };
  for (const auto& [desc, field] : cases) {
    DirSnapshot texts = GoldenTexts(GoldenDir() / "no-records" / "labelled");
    std::vector<std::string> lines = SplitLines(texts["data.pfh"]);
    lines.at(1) = std::string("DESC: ") + desc;
    texts["data.pfh"] = JoinLines(lines);
    const auto [pulseFile, status] = Imported(texts, true);
    EXPECT_EQ(status, "conversion complete") << desc;
    EXPECT_EQ(pulseFile.substr(4, 80), field + std::string(79 - field.size(), ' ') + '\0') << desc;
  }
}

// Every line end of a file rewritten: each "\n" of text becomes end(i) for
// line i.
std::string WithLineEnds(const std::string& text, const std::function<std::string(size_t)>& end) {
  std::string out;
  size_t line = 0;
  for (char c : text) out += c == '\n' ? end(line++) : std::string(1, c);
  return out;
}

class LineEndsOfGoldenCase : public ::testing::TestWithParam<std::string> {
 protected:
  fs::path LayoutDir(bool labelled) const {
    return GoldenDir() / GetParam() / (labelled ? "labelled" : "bare");
  }
  DirSnapshot Texts(bool labelled, const std::function<std::string(size_t line, size_t file)>& end) const {
    DirSnapshot texts = GoldenTexts(LayoutDir(labelled));
    size_t file = 0;
    for (auto& [name, bytes] : texts) {
      bytes = WithLineEnds(bytes, [&](size_t line) { return end(line, file); });
      ++file;
    }
    return texts;
  }
};

TEST_P(LineEndsOfGoldenCase, MixedLineEndsImportLikeTheGoldenFile) {
  for (bool labelled : {true, false}) {
    // Alternate line by line, starting differently in every other file.
    const auto [pulseFile, status] = Imported(
        Texts(labelled, [](size_t line, size_t file) { return line % 2 == file % 2 ? "\r\n" : "\n"; }),
        labelled);
    EXPECT_EQ(pulseFile, ReadFile(LayoutDir(labelled) / "data.spf"));
    EXPECT_EQ(status, "conversion complete");
  }
}

TEST_P(LineEndsOfGoldenCase, RemarksBeforeCrLfAreDropped) {
  // Text fields are taken by column: their remarks are cut, their blanks stay.
  const auto [remarked, status] = Imported(Texts(true, [](size_t, size_t) { return " # remark\r\n"; }), true);
  EXPECT_EQ(remarked, Imported(Texts(true, [](size_t, size_t) { return " \n"; }), true).first);
  EXPECT_EQ(status, "conversion complete");
}

INSTANTIATE_TEST_SUITE_P(GoldenCases, LineEndsOfGoldenCase, ::testing::ValuesIn(GoldenCaseNames()),
                         [](const auto& testInfo) { return TestNameOf(testInfo.param); });

}  // namespace
}  // namespace orvane::testing
