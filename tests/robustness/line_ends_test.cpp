// Text files written on Windows end their lines with a carriage return and a
// line feed; they import exactly like ours. A carriage return anywhere else
// is an ordinary character of the line.
#include <gtest/gtest.h>

#include "robustness_support.h"
#include "text/text_line_reader.h"

namespace orvane::testing {
namespace {

// Rewrites the line ends of text: every line for which crlf(i) holds (i
// counting lines from 0) ends with CR LF, the others with LF.
std::string WithLineEnds(const std::string& text, const std::function<bool(size_t)>& crlf) {
  std::string out;
  size_t line = 0;
  for (char c : text) {
    if (c == '\n' && crlf(line++)) out += '\r';
    out += c;
  }
  return out;
}

// Imports the given text files in a fresh directory; returns the pulse file.
std::string Imported(const DirSnapshot& texts, bool labelled, std::string* lastStatus = nullptr) {
  ScratchDir dir;
  WriteSnapshot(dir.path(), texts);
  RecordedConverter run;
  run.Convert(dir / "data.pfh", false, labelled);
  if (lastStatus) *lastStatus = LastStatus(run.trace);
  return ReadFile(dir / "data.spf");
}

// The first line of text that starts with prefix, replaced by line.
std::string ReplaceLine(const std::string& text, const std::string& prefix, const std::string& line) {
  size_t start = text.rfind("\n" + prefix) + 1;
  if (text.rfind(prefix, 0) == 0) start = 0;
  size_t end = text.find('\n', start);
  return text.substr(0, start) + line + text.substr(end);
}

class LineEnds : public ::testing::TestWithParam<std::string> {
 protected:
  fs::path LayoutDir(bool labelled) const {
    return GoldenDir() / GetParam() / (labelled ? "labelled" : "bare");
  }
};

TEST_P(LineEnds, MixedLineEndsImportLikeTheGoldenFiles) {
  for (bool labelled : {true, false}) {
    DirSnapshot texts = GoldenTexts(LayoutDir(labelled));
    size_t file = 0;
    for (auto& [name, bytes] : texts) {
      // Alternate line by line, starting differently in every other file.
      const size_t phase = file++ % 2;
      bytes = WithLineEnds(bytes, [phase](size_t i) { return i % 2 == phase; });
    }
    std::string status;
    EXPECT_EQ(Imported(texts, labelled, &status), ReadFile((LayoutDir(labelled) / "data.spf").string()));
    EXPECT_EQ(status, "conversion complete");
  }
}

TEST_P(LineEnds, RemarksBehindCrLfLinesAreDropped) {
  DirSnapshot texts = GoldenTexts(LayoutDir(true));
  for (auto& [name, bytes] : texts) {
    std::string remarked;
    for (char c : bytes) remarked += c == '\n' ? std::string(" # remark\r\n") : std::string(1, c);
    bytes = remarked;
  }
  // Text fields are taken by column: their remarks are cut, their blanks stay.
  DirSnapshot plain = GoldenTexts(LayoutDir(true));
  for (auto& [name, bytes] : plain) {
    std::string spaced;
    for (char c : bytes) spaced += c == '\n' ? std::string(" \n") : std::string(1, c);
    bytes = spaced;
  }
  std::string status;
  EXPECT_EQ(Imported(texts, true, &status), Imported(plain, true));
  EXPECT_EQ(status, "conversion complete");
}

INSTANTIATE_TEST_SUITE_P(GoldenCases, LineEnds, ::testing::ValuesIn(GoldenCaseNames()),
                         [](const auto& testInfo) {
                           std::string name = testInfo.param;
                           for (char& c : name)
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

// A header text file whose DESC holds carriage returns of its own.
class CarriageReturnInText : public ::testing::Test {
 protected:
  std::string Desc(const std::string& pfhLine) {
    DirSnapshot texts = GoldenTexts(GoldenDir() / "no-records" / "labelled");
    texts["data.pfh"] = ReplaceLine(texts["data.pfh"], "DESC: ", pfhLine);
    std::string status;
    std::string pulseFile = Imported(texts, true, &status);
    EXPECT_EQ(status, "conversion complete");
    return pulseFile.size() >= 84 ? pulseFile.substr(4, 80) : std::string();
  }
  static std::string Field(const std::string& text) {
    std::string field = text + std::string(79 - text.size(), ' ');
    return field + '\0';
  }
};

TEST_F(CarriageReturnInText, InsideTheTextItStays) {
  EXPECT_EQ(Desc("DESC: ab\rcd"), Field("ab\rcd"));
  EXPECT_EQ(Desc("DESC: ab\rcd\r"), Field("ab\rcd"));
}

TEST_F(CarriageReturnInText, OnlyTheOneBeforeTheLineFeedEndsTheLine) {
  EXPECT_EQ(Desc("DESC: abc\r\r"), Field("abc\r"));
}

TEST_F(CarriageReturnInText, ALoneCarriageReturnEndsNoLine) {
  // Line ends of old Macintosh files are not line ends here: the whole line
  // up to the line feed is the text.
  EXPECT_EQ(Desc("DESC: one\rtwo\rthree"), Field("one\rtwo\rthree"));
}

// The line reader itself, on lines that run up to the 120-character limit.
class CrLfAtTheLimit : public ::testing::Test {
 protected:
  std::vector<std::string> Lines(const std::string& text) {
    ScratchDir dir;
    WriteFile(dir / "lines.txt", text);
    auto file = io::File::Open(dir / "lines.txt", io::File::Mode::Read);
    std::vector<std::string> lines;
    char line[kTextLineChars + 1];
    while (ReadLineOfText(file.get(), line) == LineStatus::Delivered) lines.emplace_back(line);
    return lines;
  }
};

TEST_F(CrLfAtTheLimit, LinesOf119And120And121CharactersReadAsWithLineFeeds) {
  for (size_t length : {119u, 120u, 121u}) {
    std::string body(length, 'x');
    std::string lf = body + "\nnext\n", crlf = body + "\r\nnext\r\n";
    EXPECT_EQ(Lines(crlf), Lines(lf)) << length;
    EXPECT_EQ(Lines(crlf).size(), 2u);
  }
}

TEST_F(CrLfAtTheLimit, ACrLfRightAfterACommentIsNoText) {
  EXPECT_EQ(Lines("12 # remark\r\n"), Lines("12 \n"));
  EXPECT_EQ(Lines("#\r\n5\r\n"), Lines("\n5\n"));
}

}  // namespace
}  // namespace orvane::testing
