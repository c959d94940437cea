// orvane-cli told to stop (SIGINT, SIGTERM, SIGHUP) at random moments of an
// export, an import and a pulse power change of a file of tens of
// megabytes: no temporary file stays, every file that existed before is as
// it was or completely new, and the exit status is 128 + the signal. Also
// the sweep of temporary files that a killed run left, and the progress
// line, which appears on a terminal and never in a pipe.
//
// The delays come from a seeded generator; ORVANE_SIGNAL_SEED overrides it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <random>
#include <thread>

#include "robustness_support.h"

namespace orvane::testing {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::microseconds;

constexpr int kRunsPerSignal = 6;
constexpr uint32_t kTRecords = 12;
constexpr uint32_t kSamplesPerRecord = 1'000'000;  // 24 MB of samples

uint32_t SignalSeed() {
  const char* seed = std::getenv("ORVANE_SIGNAL_SEED");
  return seed ? static_cast<uint32_t>(std::strtoul(seed, nullptr, 10)) : 20261209u;
}

// The orvane-cli under test: the build's, or with ORVANE_CLI_DIR another
// one, such as the installed package's.
const std::string& CliPath() {
  static const std::string path = [] {
    const char* folder = std::getenv("ORVANE_CLI_DIR");
    return folder && *folder ? std::string(folder) + "/orvane-cli" : std::string(ORVANE_CLI);
  }();
  return path;
}

struct Exit {
  int status = 0;      // exit status; -1 when ended by a signal
  int signal = 0;      // the signal that ended it, if any
  std::string errors;  // its standard error
};

// Runs orvane-cli with args in dir; with a delay, sends sig after it.
Exit RunCli(const fs::path& dir, const std::vector<std::string>& args, std::optional<microseconds> delay = {},
            int sig = 0) {
  static std::atomic<int> runs{0};
  const std::string errPath =
      (dir / ".." / (dir.filename().string() + "." + std::to_string(runs++) + ".err")).string();
  pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(dir.c_str()) != 0) ::_exit(120);
    int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int null = ::open("/dev/null", O_WRONLY);
    ::dup2(err, STDERR_FILENO);
    ::dup2(null, STDOUT_FILENO);
    std::vector<char*> argv{const_cast<char*>(CliPath().c_str())};
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(CliPath().c_str(), argv.data());
    ::_exit(127);
  }
  if (delay) {
    std::this_thread::sleep_for(*delay);
    ::kill(pid, sig);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  Exit exit;
  if (WIFEXITED(status)) {
    exit.status = WEXITSTATUS(status);
  } else {
    exit.status = -1;
    exit.signal = WTERMSIG(status);
  }
  exit.errors = ReadFile(errPath);
  fs::remove(errPath);
  return exit;
}

// The files a run may change, before it and after a complete run.
struct Sets {
  DirSnapshot before;
  DirSnapshot complete;
};

std::string Describe(const Exit& exit) {
  return "status " + std::to_string(exit.status) + " signal " + std::to_string(exit.signal) + " stderr '" +
         exit.errors + "'";
}

// Signals runs of args at random moments with each of the three signals.
// Whatever the moment, dir holds either the old set or the complete new one.
void SignalRepeatedly(const Sets& sets, const std::vector<std::string>& args) {
  microseconds full{};
  {
    ScratchDir dir;
    WriteSnapshot(dir.path(), sets.before);
    const auto start = Clock::now();
    const Exit exit = RunCli(dir.path(), args);
    full = std::chrono::duration_cast<microseconds>(Clock::now() - start);
    ASSERT_EQ(exit.status, 0) << Describe(exit);
    ASSERT_EQ(SnapshotDir(dir.path()), sets.complete);
  }
  std::mt19937 random(SignalSeed());
  std::uniform_int_distribution<int64_t> delay(0, full.count());
  int interrupted = 0;
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
    for (int i = 0; i < kRunsPerSignal; ++i) {
      ScratchDir dir;
      WriteSnapshot(dir.path(), sets.before);
      const microseconds after(delay(random));
      const Exit exit = RunCli(dir.path(), args, after, sig);
      const std::string context = "signal " + std::to_string(sig) + " after " +
                                  std::to_string(after.count()) + " us: " + Describe(exit);
      EXPECT_TRUE(TemporaryFilesIn(dir.path()).empty()) << context;
      const DirSnapshot now = SnapshotDir(dir.path());
      if (exit.status == 128 + sig) {
        ++interrupted;
        EXPECT_EQ(exit.errors, "orvane-cli: interrupted\n") << context;
        EXPECT_TRUE(now == sets.before || now == sets.complete) << context;
      } else if (exit.status == 0) {
        EXPECT_EQ(now, sets.complete) << context;
      } else {
        // Only before main has blocked the signals can it end the process
        // by its default action; nothing has been touched then.
        EXPECT_EQ(exit.signal, sig) << context;
        EXPECT_EQ(now, sets.before) << context;
      }
      if (::testing::Test::HasFailure()) return;
    }
  }
  std::cout << "[ signals ] " << 3 * kRunsPerSignal << " runs, " << interrupted
            << " interrupted part-way (full run " << full.count() / 1000 << " ms)\n";
  EXPECT_GT(interrupted, 0);
}

// A generated pulse file with its text files and the pulse file an import
// of them builds, made once through the real program.
struct LargeCase {
  std::string pulseFile = GeneratedPulseFile(kTRecords, kSamplesPerRecord, 7);
  DirSnapshot texts;
  std::string imported;
  LargeCase() {
    ScratchDir dir;
    WriteFile(dir / "data.spf", pulseFile);
    EXPECT_EQ(RunCli(dir.path(), {"to-ascii", "data.spf"}).status, 0);
    texts = SnapshotDir(dir.path());
    texts.erase("data.spf");
    EXPECT_EQ(RunCli(dir.path(), {"from-ascii", "data.pfh"}).status, 0);
    imported = ReadFile(dir / "data.spf");
  }
};

const LargeCase& Large() {
  static const LargeCase large;
  return large;
}

DirSnapshot OldTexts(const DirSnapshot& texts) {
  DirSnapshot old;
  for (const auto& [name, contents] : texts) old[name] = OldVersionOf(name);
  return old;
}

TEST(SignalledCli, InterruptedExportLeavesTheOldTextFilesOrTheWholeNewSet) {
  const LargeCase& large = Large();
  Sets sets;
  sets.before = OldTexts(large.texts);
  sets.before["data.spf"] = large.pulseFile;
  sets.complete = large.texts;
  sets.complete["data.spf"] = large.pulseFile;
  SignalRepeatedly(sets, {"to-ascii", "data.spf"});
}

TEST(SignalledCli, InterruptedImportLeavesTheOldPulseFileOrTheNewOne) {
  const LargeCase& large = Large();
  Sets sets;
  sets.before = large.texts;
  sets.before["data.spf"] = OldVersionOf("data.spf");
  sets.complete = large.texts;
  sets.complete["data.spf"] = large.imported;
  SignalRepeatedly(sets, {"from-ascii", "data.pfh"});
}

TEST(SignalledCli, InterruptedPowerChangeLeavesAValidPulseFile) {
  constexpr uint32_t kRecords = 4000;
  const std::string pulseFile = GeneratedPulseFile(kRecords, 1, 3);
  std::vector<std::string> args{"power", "data.spf"};
  for (uint32_t n = 0; n < kRecords; ++n) args.push_back(std::to_string(n % 200 - 100));
  std::mt19937 random(SignalSeed());
  std::uniform_int_distribution<int64_t> delay(0, 150'000);
  int interrupted = 0;
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
    for (int i = 0; i < kRunsPerSignal; ++i) {
      ScratchDir dir;
      WriteFile(dir / "data.spf", pulseFile);
      const Exit exit = RunCli(dir.path(), args, microseconds(delay(random)), sig);
      if (exit.status == 128 + sig) ++interrupted;
      EXPECT_TRUE(exit.status == 0 || exit.status == 128 + sig || exit.signal == sig) << Describe(exit);
      // Every record's header and its seal word went together.
      const Exit check = RunCli(dir.path(), {"check", "data.spf"});
      EXPECT_EQ(check.status, 0) << Describe(exit) << "; check: " << check.errors;
    }
  }
  std::cout << "[ signals ] power: " << 3 * kRunsPerSignal << " runs, " << interrupted << " interrupted\n";
}

TEST(SignalledCli, TheNextRunRemovesStaleTemporaryFilesButNotHeldOnesOrLookalikes) {
  ScratchDir dir;
  WriteFile(dir / "data.spf", ReadFile((GoldenDir() / "mixed" / "data.spf").string()));
  WriteFile(dir / ".orvane-Ab12Cd", "left by a killed run");
  WriteFile(dir / ".orvane-data.T0-Zx98Yw", "left by an older version");
  WriteFile(dir / ".orvane-notes", "a user's file");
  WriteFile(dir / ".orvane-Held01", "being written by a live run");
  const int held = ::open((dir / ".orvane-Held01").c_str(), O_RDWR);
  ASSERT_GE(held, 0);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  EXPECT_EQ(RunCli(dir.path(), {"to-ascii", "data.spf"}).status, 0);
  ::close(held);
  const std::vector<std::string> left = TemporaryFilesIn(dir.path());
  EXPECT_EQ(left, (std::vector<std::string>{".orvane-Held01", ".orvane-notes"}));
}

// Runs orvane-cli with args in dir and gives its standard output.
std::string OutputOf(const fs::path& dir, const std::vector<std::string>& args) {
  std::string command = "cd '" + dir.string() + "' && '" + CliPath() + "'";
  for (const auto& arg : args) command += " '" + arg + "'";
  std::string text;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
    ::pclose(pipe);
  }
  return text;
}

TEST(ConcurrentCli, TwoPowerChangesOfOneFileAtOnceGoOneAfterTheOther) {
  constexpr uint32_t kRecords = 10000;
  const std::string pulseFile = GeneratedPulseFile(kRecords, 1, 5);
  std::vector<std::string> setA{"power", "data.spf"}, setB{"power", "data.spf"};
  for (uint32_t n = 0; n < kRecords; ++n) {
    setA.push_back(std::to_string(n % 100));
    setB.push_back(std::to_string(-static_cast<int>(n % 100)));
  }
  // What the file shows after each change alone.
  std::string shownAfterA, shownAfterB;
  {
    ScratchDir dir;
    WriteFile(dir / "data.spf", pulseFile);
    ASSERT_EQ(RunCli(dir.path(), setA).status, 0);
    shownAfterA = OutputOf(dir.path(), {"power", "data.spf"});
    ASSERT_EQ(RunCli(dir.path(), setB).status, 0);
    shownAfterB = OutputOf(dir.path(), {"power", "data.spf"});
    ASSERT_NE(shownAfterA, shownAfterB);
  }
  for (int round = 0; round < 4; ++round) {
    ScratchDir dir;
    WriteFile(dir / "data.spf", pulseFile);
    Exit a, b;
    std::thread first([&] { a = RunCli(dir.path(), setA); });
    std::thread second([&] { b = RunCli(dir.path(), setB); });
    first.join();
    second.join();
    EXPECT_EQ(a.status, 0) << Describe(a);
    EXPECT_EQ(b.status, 0) << Describe(b);
    EXPECT_EQ(RunCli(dir.path(), {"check", "data.spf"}).status, 0) << "round " << round;
    const std::string shown = OutputOf(dir.path(), {"power", "data.spf"});
    EXPECT_TRUE(shown == shownAfterA || shown == shownAfterB) << "round " << round << ": a mix of both";
  }
}

// Runs orvane-cli on a pseudo-terminal and gives all it wrote there.
std::string RunOnTerminal(const fs::path& dir, const std::vector<std::string>& args) {
  int master = -1;
  pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
  if (pid == 0) {
    if (::chdir(dir.c_str()) != 0) ::_exit(120);
    int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, STDOUT_FILENO);  // only standard error on the terminal
    std::vector<char*> argv{const_cast<char*>(CliPath().c_str())};
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(CliPath().c_str(), argv.data());
    ::_exit(127);
  }
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;)
    text.append(buffer, static_cast<size_t>(n));
  ::close(master);
  ::waitpid(pid, nullptr, 0);
  return text;
}

TEST(SignalledCli, ProgressAppearsOnATerminalAndNotInAPipe) {
  // A batch long enough (over the half second before the line appears)
  // converted one file at a time.
  ScratchDir dir;
  std::vector<std::string> args{"-j", "1", "to-ascii"};
  for (int n = 0; n < 16; ++n) {
    WriteFile(dir / ("f" + std::to_string(n) + ".spf"), Large().pulseFile);
    args.push_back("f" + std::to_string(n) + ".spf");
  }
  const std::string terminal = RunOnTerminal(dir.path(), args);
  EXPECT_NE(terminal.find("/16] f"), std::string::npos) << terminal;
  EXPECT_NE(terminal.find(" MB  "), std::string::npos) << terminal;
  EXPECT_NE(terminal.find(" MB/s  "), std::string::npos) << terminal;
  EXPECT_NE(terminal.find(" left"), std::string::npos) << terminal;
  // Cleared at the end: nothing after the last erase.
  const size_t lastErase = terminal.rfind("\r\033[K");
  ASSERT_NE(lastErase, std::string::npos) << terminal;
  EXPECT_EQ(terminal.substr(lastErase), "\r\033[K");
  const Exit piped = RunCli(dir.path(), args);
  EXPECT_EQ(piped.status, 0);
  EXPECT_EQ(piped.errors, "");
}

}  // namespace
}  // namespace orvane::testing
