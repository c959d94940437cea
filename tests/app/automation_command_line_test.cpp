// The command line's switches: found and cut out as the start-up does it.
#include <gtest/gtest.h>

#include <string>

#include "class_ids.h"
#include "command_line.h"

namespace orvane::automation {
namespace {

// The start-up's order: Embedding first, Automation only without it.
struct Cut {
  bool automationStart;
  std::string fileName;
};

Cut StartWith(std::string line) {
  bool found = CutSwitch(line, kEmbeddingSwitch) || CutSwitch(line, kAutomationSwitch);
  return {found, line};
}

TEST(CommandLineTest, ArgumentsAreJoinedWithSingleBlanks) {
  const char* none[] = {"orvane"};
  const char* several[] = {"orvane", "/Automation", "run7.spf", "two  blanks"};
  EXPECT_EQ(JoinArguments(1, none), "");
  EXPECT_EQ(JoinArguments(4, several), "/Automation run7.spf two  blanks");
}

TEST(CommandLineTest, NoCommandLineIsAUserStartWithoutFileName) {
  Cut cut = StartWith("");
  EXPECT_FALSE(cut.automationStart);
  EXPECT_EQ(cut.fileName, "");
}

TEST(CommandLineTest, PlainFileNameStaysWhole) {
  Cut cut = StartWith("run7.spf");
  EXPECT_FALSE(cut.automationStart);
  EXPECT_EQ(cut.fileName, "run7.spf");
}

TEST(CommandLineTest, EmbeddingAloneLeavesAnEmptyFileName) {
  Cut cut = StartWith("-Embedding");
  EXPECT_TRUE(cut.automationStart);
  EXPECT_EQ(cut.fileName, "");
}

TEST(CommandLineTest, AutomationSwitchIsCutAndTheLeadingBlankStays) {
  Cut cut = StartWith("/Automation run7.spf");
  EXPECT_TRUE(cut.automationStart);
  EXPECT_EQ(cut.fileName, " run7.spf");
}

TEST(CommandLineTest, SwitchNamesAreCaseSensitive) {
  Cut cut = StartWith("/embedding");
  EXPECT_FALSE(cut.automationStart);
  EXPECT_EQ(cut.fileName, "/embedding");
}

TEST(CommandLineTest, OnlyTheFirstFoundSwitchIsCut) {
  Cut cut = StartWith("-Embedding -Automation");
  EXPECT_TRUE(cut.automationStart);
  EXPECT_EQ(cut.fileName, " -Automation");
}

TEST(CommandLineTest, SwitchIsFoundAsAPrefixInsideOtherText) {
  Cut cut = StartWith("D:/Automation/run7.spf");
  EXPECT_TRUE(cut.automationStart);
  EXPECT_EQ(cut.fileName, "D:/run7.spf");
}

TEST(CommandLineTest, SwitchMayFollowOtherDashesAndSlashes) {
  std::string line = "a-b /x -Embedding \"q\"";
  EXPECT_TRUE(CutSwitch(line, kEmbeddingSwitch));
  EXPECT_EQ(line, "a-b /x  \"q\"");
}

TEST(CommandLineTest, TruncatedSwitchNameIsNotASwitch) {
  std::string line = "run7.spf -Embed";
  EXPECT_FALSE(CutSwitch(line, kEmbeddingSwitch));
  EXPECT_EQ(line, "run7.spf -Embed");
}

}  // namespace
}  // namespace orvane::automation
