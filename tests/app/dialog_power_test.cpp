// "Get Pulse Power" and "Set" through the dialog's buttons and edit box.
#include "dialog_fixture.h"
#include "engine_reference.h"

namespace orvane::testing {
namespace {

class PulsePowerRow : public DialogTest {
 protected:
  PulsePowerRow() {
    std::filesystem::copy_file(GoldenDir() / "t-records" / "data.spf", scratch / "data.spf");
    // The golden files are read-only, and a read-only pulse file is never set.
    std::filesystem::permissions(scratch / "data.spf", std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
  }
  std::string PowerText() const { return PowerBox()->text().toStdString(); }
};

TEST_F(PulsePowerRow, GetShowsThePowerOfEveryTRecordAsTheEngineReadsIt) {
  std::optional<std::string> expected = PowersReadByTheEngine(scratch / "data.spf");
  ASSERT_TRUE(expected.has_value());
  ASSERT_FALSE(expected->empty());
  Show();
  TypeFileName(scratch / "data.spf");
  Click(1011);
  EXPECT_EQ(PowerText(), *expected);
}

TEST_F(PulsePowerRow, SetWritesTheTypedPowersClampedAndGetShowsThemBack) {
  Show();
  TypeFileName(scratch / "data.pfh");  // the pulse file of the same base name
  TypePowers("-37 150");
  Click(1012);
  EXPECT_EQ(Status(), "conversion complete");
  TypePowers("");
  Click(1011);
  EXPECT_EQ(PowerText().rfind("-37 100 ", 0), 0u) << PowerText();
}

TEST_F(PulsePowerRow, AnEmptyNameAsksForOneAndKeepsTheBox) {
  Show();
  TypePowers("1 2 3");
  TypeFileName("");
  Click(1011);
  EXPECT_EQ(Status(), "File name required");
  EXPECT_EQ(PowerText(), "1 2 3");
}

TEST_F(PulsePowerRow, AFileWithoutPowersToShowKeepsTheBox) {
  Show();
  TypePowers("1 2 3");
  TypeFileName(scratch / "missing.spf");
  Click(1011);
  EXPECT_EQ(PowerText(), "1 2 3");
}

TEST_F(PulsePowerRow, SetWithAnEmptyBoxLeavesTheFileAlone) {
  std::string before = ReadFile(scratch / "data.spf");
  Show();
  TypeFileName(scratch / "data.spf");
  Click(1012);
  EXPECT_EQ(ReadFile(scratch / "data.spf"), before);
}

}  // namespace
}  // namespace orvane::testing
