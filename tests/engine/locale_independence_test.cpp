// The text files do not depend on the process locale: under a locale whose
// decimal separator is a comma, exports write and imports read exactly what
// they do in the "C" locale.
#include <gtest/gtest.h>

#include <clocale>
#include <cstring>

#include "orvane/pulse_file.h"
#include "pulse_file_builder.h"
#include "text/text_format.h"
#include "text/text_scan.h"
#include "text_lines.h"

namespace orvane::testing {
namespace {

// Switches the whole process to the first installed comma-decimal locale
// and back to "C" at the end.
class CommaLocale : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8", "nl_NL.UTF-8",
                             "es_ES.UTF-8", "it_IT.UTF-8", "ru_RU.UTF-8", "pt_BR.UTF-8"}) {
      if (std::setlocale(LC_ALL, name) != nullptr &&
          std::strcmp(std::localeconv()->decimal_point, ",") == 0) {
        active_ = name;
        return;
      }
      std::setlocale(LC_ALL, "C");
    }
    GTEST_SKIP() << "no locale with a decimal comma is installed (locale -a); nothing to compare against";
  }
  void TearDown() override { std::setlocale(LC_ALL, "C"); }
  std::string active_;
};

PulseFileBuilder RealsEverywhere() {
  PulseFileBuilder b;
  b.header.Real("MXPR", 1.5f);
  b.records = {BuiltRecord::T({1, -1}), BuiltRecord::R({1.5f, -2.25e-10f, 6.02e23f})};
  b.records[0].header.Real("RATE", 0.25f).Real("GAIN", -12.125f);
  b.records[1].header.Real("RATE", 3.5f);
  return b;
}

TEST_F(CommaLocale, RenderingsKeepTheirPoint) {
  EXPECT_EQ(text::FormatFixed6(1.5f), "1.500000");
  EXPECT_EQ(text::FormatExp15_7(-1.5f), "-1.5000000e+000");
  text::Scanner in("2.75");
  float v = 0;
  ASSERT_TRUE(in.Real(&v));
  EXPECT_EQ(v, 2.75f);
}

TEST_F(CommaLocale, ExportAndImportAreThoseOfTheCLocale) {
  for (bool labelled : {true, false}) {
    ScratchDir inC, inComma;
    const PulseFileBuilder b = RealsEverywhere();
    std::setlocale(LC_ALL, "C");
    b.WriteSealed(inC / "data.spf");
    RecordedConverter c;
    c.Convert(inC / "data.spf", true, labelled);
    c.Convert(inC / "data.pfh", false, labelled);
    ASSERT_EQ(LastStatus(c.trace), "conversion complete");

    std::setlocale(LC_ALL, active_.c_str());
    b.WriteSealed(inComma / "data.spf");
    RecordedConverter comma;
    comma.Convert(inComma / "data.spf", true, labelled);
    for (const char* name : {"data.pfh", "data.T0", "data.R0"})
      EXPECT_EQ(ReadFile(inComma / name), ReadFile(inC / name)) << name;
    comma.Convert(inComma / "data.pfh", false, labelled);
    EXPECT_EQ(LastStatus(comma.trace), "conversion complete");
    EXPECT_EQ(ReadFile(inComma / "data.spf"), ReadFile(inC / "data.spf"));
  }
}

}  // namespace
}  // namespace orvane::testing
