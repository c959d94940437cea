// The progress line that orvane-cli keeps on a terminal: drawn in place,
// and gone before any output of a run is printed.
#include <gtest/gtest.h>

#include <cstdio>

#include "console.h"

namespace orvane::cli {
namespace {

std::string Contents(std::FILE* file) {
  std::fflush(file);
  std::rewind(file);
  std::string text;
  for (int c; (c = std::fgetc(file)) != EOF;) text += static_cast<char>(c);
  return text;
}

class ConsoleTest : public ::testing::Test {
 protected:
  void TearDown() override {
    std::fclose(out);
    std::fclose(err);
  }
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
};

TEST_F(ConsoleTest, TheProgressLineIsRewrittenInPlaceAndClearedBeforeOutput) {
  {
    Console console(out, err, true, std::chrono::milliseconds(0), 2);
    console.Progress("a.spf", 3);
    console.Emit("result\n", "orvane-cli: a.spf: failed\n");
  }
  EXPECT_EQ(Contents(out), "result\n");
  EXPECT_EQ(Contents(err), "\r\033[K[0/2] a.spf 3/9\r\033[Korvane-cli: a.spf: failed\n");
}

TEST_F(ConsoleTest, NothingIsDrawnBeforeTheDelayOrWhenProgressIsOff) {
  {
    Console late(out, err, true, std::chrono::hours(1), 1);
    late.Progress("a.spf", 3);
    Console off(out, err, false, std::chrono::milliseconds(0), 1);
    off.Progress("a.spf", 3);
    off.Emit("", "message\n");
  }
  EXPECT_EQ(Contents(err), "message\n");
}

}  // namespace
}  // namespace orvane::cli
