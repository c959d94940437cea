// The modes of the files a run writes: a new file gets what the process's
// umask allows, a replaced file keeps the mode of the one it replaces, and a
// pulse file rebuilt by an import keeps its mode too. Runs of one thread
// and of several create their files alike.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "test_support.h"

namespace orvane::testing {
namespace {

unsigned ModeOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

unsigned NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666u & ~static_cast<unsigned>(mask);
}

class OutputModes : public ::testing::TestWithParam<unsigned> {
 protected:
  // Exports the mixed golden case (T, R and I records) in dir.
  void Export() {
    RecordedConverter run;
    run.threads = GetParam();
    run.Convert(dir / "data.spf", true, true);
    ASSERT_FALSE(run.RunFailed()) << run.trace.Joined();
  }
  ScratchDir dir;
};

TEST_P(OutputModes, NewTextFilesGetTheModeTheUmaskAllows) {
  WriteFile(dir / "data.spf", ReadFile((GoldenDir() / "mixed" / "data.spf").string()));
  Export();
  for (const std::string& file : dir.Files()) {
    ASSERT_EQ(file.rfind(".orvane-", 0), std::string::npos) << "a temporary file was left: " << file;
    if (file != "data.spf") {
      EXPECT_EQ(ModeOf(dir / file), NewFileMode()) << file;
    }
  }
}

TEST_P(OutputModes, ReplacedFilesKeepTheirModes) {
  WriteFile(dir / "data.spf", ReadFile((GoldenDir() / "mixed" / "data.spf").string()));
  Export();
  // Modes the umask would take bits from, and one it would not give.
  ASSERT_EQ(::chmod((dir / "data.pfh").c_str(), 0600), 0);
  ASSERT_EQ(::chmod((dir / "data.T0").c_str(), 0640), 0);
  ASSERT_EQ(::chmod((dir / "data.R0").c_str(), 0664), 0);
  ASSERT_EQ(::chmod((dir / "data.I0").c_str(), 0755), 0);
  const std::string before = ReadFile(dir / "data.T0");
  Export();
  EXPECT_EQ(ModeOf(dir / "data.pfh"), 0600u);
  EXPECT_EQ(ModeOf(dir / "data.T0"), 0640u);
  EXPECT_EQ(ModeOf(dir / "data.R0"), 0664u);
  EXPECT_EQ(ModeOf(dir / "data.I0"), 0755u);
  EXPECT_EQ(ReadFile(dir / "data.T0"), before);

  ASSERT_EQ(::chmod((dir / "data.spf").c_str(), 0640), 0);
  RecordedConverter import;
  import.Convert(dir / "data.pfh", false, true);
  ASSERT_FALSE(import.RunFailed()) << import.trace.Joined();
  EXPECT_EQ(ModeOf(dir / "data.spf"), 0640u);
}

// 0: the engine's default (one thread for a file this small), 1, and 3.
INSTANTIATE_TEST_SUITE_P(Threads, OutputModes, ::testing::Values(0u, 1u, 3u));

}  // namespace
}  // namespace orvane::testing
