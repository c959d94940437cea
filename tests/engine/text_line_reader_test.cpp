// The text line reader: every line delivered as exactly 120 characters, cut,
// stripped of remarks and padded with blanks (line ends: line_ends_test.cpp).
#include <gtest/gtest.h>

#include <cstring>

#include "text/text_line_reader.h"
#include "text_lines.h"

namespace orvane::testing {
namespace {

std::string Blanks(size_t n) { return std::string(n, ' '); }

class TextLineReader : public ::testing::Test {
 protected:
  // Opens a file holding text and reads lines from it.
  void Open(const std::string& text) {
    WriteFile(Path(), text);
    file = io::File::Open(Path(), io::File::Mode::Read);
    ASSERT_TRUE(file);
  }
  std::string Path() const { return scratch / "lines.txt"; }
  // The next delivered line; checks the NUL at position 120.
  std::string Next() {
    char line[kTextLineChars + 1];
    std::memset(line, '?', sizeof line);
    status = ReadLineOfText(file.get(), line);
    EXPECT_EQ(line[120], '\0');
    return std::string(line, 120);
  }
  ScratchDir scratch;
  std::unique_ptr<io::File> file;
  LineStatus status = LineStatus::Delivered;
};

TEST_F(TextLineReader, ShortLineIsPaddedWithBlanks) {
  Open("abc\n");
  EXPECT_EQ(Next(), "abc" + Blanks(117));
  EXPECT_EQ(status, LineStatus::Delivered);
}

TEST_F(TextLineReader, EmptyLineIsAllBlanks) {
  Open("\n\nx\n");
  EXPECT_EQ(Next(), Blanks(120));
  EXPECT_EQ(Next(), Blanks(120));
  EXPECT_EQ(Next(), "x" + Blanks(119));
}

TEST_F(TextLineReader, LongLineIsCutAndItsRestIsNotTheNextLine) {
  std::string longLine;
  for (int k = 0; k < 200; ++k) longLine += static_cast<char>('a' + k % 26);
  Open(longLine + "\nnext\n");
  EXPECT_EQ(Next(), longLine.substr(0, 120));
  EXPECT_EQ(Next(), "next" + Blanks(116));
}

TEST_F(TextLineReader, RemarkIsDropped) {
  Open("value 12 # a remark # another\n#whole line remark\nafter\n");
  EXPECT_EQ(Next(), "value 12 " + Blanks(111));
  EXPECT_EQ(Next(), Blanks(120));  // a remark-only line still counts as a line
  EXPECT_EQ(Next(), "after" + Blanks(115));
}

TEST_F(TextLineReader, LastLineWithoutLineFeedThenBlanksForEver) {
  Open("first\nlast");
  EXPECT_EQ(Next(), "first" + Blanks(115));
  EXPECT_EQ(Next(), "last" + Blanks(116));
  for (int k = 0; k < 3; ++k) EXPECT_EQ(Next(), Blanks(120));
  EXPECT_EQ(status, LineStatus::EndOfFile);
}

TEST_F(TextLineReader, EmptyFileGivesBlanksWithoutAMessage) {
  Open("");
  EXPECT_EQ(Next(), Blanks(120));
  EXPECT_EQ(Next(), Blanks(120));
  EXPECT_EQ(status, LineStatus::EndOfFile);
}

TEST_F(TextLineReader, TabIsAnOrdinaryCharacter) {
  Open("a\tb\t\n");
  EXPECT_EQ(Next(), "a\tb\t" + Blanks(116));
}

TEST_F(TextLineReader, NullFileIsNoFile) {
  char line[kTextLineChars + 1];
  std::memset(line, 'k', sizeof line);
  EXPECT_EQ(ReadLineOfText(nullptr, line), LineStatus::NoFile);
  EXPECT_EQ(line[120], '\0');
  EXPECT_EQ(std::string(line, 120), std::string(120, 'k'));  // the old contents stay
}

TEST_F(TextLineReader, FailingReadIsAReadError) {
  Open("abc\n");
  io::FaultSeam::Arm(1);
  Next();
  io::FaultSeam::Disarm();
  ASSERT_TRUE(io::FaultSeam::Fired());
  EXPECT_EQ(status, LineStatus::ReadError);
}

}  // namespace
}  // namespace orvane::testing
