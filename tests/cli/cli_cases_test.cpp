// The command cases of orvane-cli: every cases/NAME.cmd is a shell script
// that runs the real executable in a fresh working directory; its standard
// output, standard error and exit status must equal NAME.out, NAME.err and
// NAME.status. With ORVANE_REGENERATE=1 the run rewrites those three files
// instead (for a deliberate change of the output; review the diff).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "test_support.h"

namespace orvane::testing {
namespace {

const fs::path kCases = ORVANE_CLI_CASES;

std::vector<std::string> CaseNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kCases))
    if (entry.path().extension() == ".cmd") names.push_back(entry.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

struct Outcome {
  std::string out;
  std::string err;
  std::string status;
};

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// The folder of the orvane-cli the cases run: the build's, or with
// ORVANE_CLI_DIR another one, such as the installed package's.
std::string CliFolder() {
  const char* folder = std::getenv("ORVANE_CLI_DIR");
  return folder && *folder ? std::string(folder) : fs::path(ORVANE_CLI).parent_path().string();
}

// Runs one case script in work, with orvane-cli first on the PATH.
Outcome RunCase(const std::string& name, const ScratchDir& work, const ScratchDir& capture) {
  const std::string cli = CliFolder();
  const std::string command = "cd " + Quoted(work.path().string()) + " && PATH=" + Quoted(cli) +
                              ":\"$PATH\" GOLDEN=" + Quoted(GoldenDir().string()) +
                              " CASES=" + Quoted(kCases.string()) + " LC_ALL=C /bin/sh " +
                              Quoted((kCases / (name + ".cmd")).string()) + " >" + Quoted(capture / "out") +
                              " 2>" + Quoted(capture / "err") + " </dev/null";
  const int raw = std::system(command.c_str());
  const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  return {ReadFile(capture / "out"), ReadFile(capture / "err"), std::to_string(status) + "\n"};
}

class CliCase : public ::testing::TestWithParam<std::string> {};

TEST_P(CliCase, GivesTheExpectedOutputMessagesAndStatus) {
  ScratchDir work, capture;
  const Outcome got = RunCase(GetParam(), work, capture);
  const std::string base = (kCases / GetParam()).string();
  const char* regenerate = std::getenv("ORVANE_REGENERATE");
  if (regenerate && std::string(regenerate) == "1") {
    WriteFile(base + ".out", got.out);
    WriteFile(base + ".err", got.err);
    WriteFile(base + ".status", got.status);
    GTEST_SKIP() << "expectations rewritten";
  }
  ASSERT_TRUE(fs::exists(base + ".status")) << "no expectations yet: run with ORVANE_REGENERATE=1";
  EXPECT_EQ(got.out, ReadFile(base + ".out")) << "standard output";
  EXPECT_EQ(got.err, ReadFile(base + ".err")) << "standard error";
  EXPECT_EQ(got.status, ReadFile(base + ".status")) << "exit status";
}

INSTANTIATE_TEST_SUITE_P(Cases, CliCase, ::testing::ValuesIn(CaseNames()),
                         [](const auto& testInfo) { return TestNameOf(testInfo.param); });

}  // namespace
}  // namespace orvane::testing
