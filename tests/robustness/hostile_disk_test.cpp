// Runs on disks that refuse: a full file system, a read-only directory, a
// read-only target and a target that is a directory, for the conversions
// and for a pulse power "Set". Each run reports its failure, keeps every
// existing file and leaves no temporary file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "fault_walk.h"
#include "robustness_support.h"

namespace orvane::testing {
namespace {

// A small tmpfs mounted on a scratch directory, for as long as it lives.
// Mounting needs root (or the right capability); without it the tests that
// need one skip.
class SmallTmpfs {
 public:
  explicit SmallTmpfs(size_t bytes) {
    std::string options = "size=" + std::to_string(bytes);
    mounted_ = ::mount("tmpfs", scratch_.path().c_str(), "tmpfs", 0, options.c_str()) == 0;
    if (!mounted_) error_ = std::strerror(errno);
  }
  ~SmallTmpfs() {
    if (mounted_) ::umount2(scratch_.path().c_str(), MNT_DETACH);
  }
  bool Mounted() const { return mounted_; }
  const std::string& Error() const { return error_; }
  const fs::path& path() const { return scratch_.path(); }
  std::string operator/(const std::string& name) const { return scratch_ / name; }
  bool RemountReadOnly() {
    return ::mount("tmpfs", scratch_.path().c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
  }

 private:
  ScratchDir scratch_;
  bool mounted_ = false;
  std::string error_;
};

// Fills the file system of dir, then frees `room` bytes again.
void FillLeaving(const fs::path& dir, off_t room) {
  int fd = ::open((dir / "filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  std::vector<char> block(4096, 'f');
  off_t size = 0;
  for (;;) {
    ssize_t put = ::write(fd, block.data(), block.size());
    if (put <= 0) break;
    size += put;
  }
  ASSERT_EQ(::ftruncate(fd, std::max<off_t>(0, size - room)), 0);
  ::close(fd);
}

std::string CantOpen(const std::string& path, const char* how) {
  return "Can't open " + path + " for " + how;
}

// A golden case with its labelled text files; "mixed" has every record
// kind in small files, "larger" has records of some ten thousand samples.
struct GoldenCase {
  explicit GoldenCase(const std::string& name = "mixed") : caseDir(GoldenDir() / name) {}
  fs::path caseDir;
  fs::path layoutDir = caseDir / "labelled";
  std::string pulseFile = ReadFile((caseDir / "data.spf").string());
  std::string importedFile = ReadFile((layoutDir / "data.spf").string());
  DirSnapshot texts = GoldenTexts(layoutDir);
};

constexpr size_t kTmpfsSize = 1 << 20;

// The disk filled but for some room, 4096 bytes more on each run, until the
// run completes; every run is checked as a fault walk checks it.
void WalkFullDisk(const FaultWalk& walk) {
  DirSnapshot complete = walk.before;
  for (const auto& [name, bytes] : walk.expected) complete[name] = bytes;
  for (off_t room = 0;; room += 4096) {
    SmallTmpfs disk(kTmpfsSize);
    if (!disk.Mounted()) GTEST_SKIP() << "cannot mount a small tmpfs: " << disk.Error();
    WriteSnapshot(disk.path(), walk.before);
    FillLeaving(disk.path(), room);
    FaultedRun run{static_cast<uint64_t>(room), std::nullopt, {}, disk.path(), walk.before, complete, {}};
    walk.operation(run.run, disk.path());
    run.after = SnapshotDir(disk.path());
    run.after.erase("filler");
    CheckRun(walk, run);
    if (!run.Failed()) {
      std::cout << "[ full disk ] " << walk.name << ": " << room / 4096 + 1 << " runs\n";
      return;
    }
    ASSERT_LT(room, off_t{kTmpfsSize}) << walk.name << " never found room enough";
  }
}

TEST(FullDisk, ExportKeepsEveryFileOldOrCompletelyNew) {
  GoldenCase golden("larger");
  FaultWalk walk = ExportWalk("export", golden.pulseFile, true);
  walk.expected = golden.texts;
  WalkFullDisk(walk);
}

TEST(FullDisk, ImportKeepsTheOldPulseFile) {
  GoldenCase golden("larger");
  FaultWalk walk = ImportWalk("import", golden.texts, golden.pulseFile, true);
  walk.expected = {{"data.spf", golden.importedFile}};
  WalkFullDisk(walk);
}

// orvane-cli keeping partial results on a disk that fills during the run:
// every record file it began holds what reached the disk (a prefix of the
// whole text), and every failure line gives the system's reason.
TEST(FullDisk, KeptPartialResultsHoldWhatEachRecordGotAndEveryFailureSaysWhy) {
  GoldenCase golden("larger");
  SmallTmpfs disk(kTmpfsSize);
  if (!disk.Mounted()) GTEST_SKIP() << "cannot mount a small tmpfs: " << disk.Error();
  WriteFile(disk / "data.spf", golden.pulseFile);
  FillLeaving(disk.path(), 3 * 4096);
  const std::string command =
      "cd '" + disk.path().string() + "' && '" ORVANE_CLI "' -j 1 --keep-partial to-ascii data.spf 2>&1";
  std::string output;
  FILE* pipe = ::popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  char chunk[4096];
  for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) output.append(chunk, got);
  EXPECT_NE(::pclose(pipe), 0) << output;

  size_t failures = 0;
  for (size_t start = 0, end; (end = output.find('\n', start)) != std::string::npos; start = end + 1) {
    const std::string line = output.substr(start, end - start);
    // Warnings of what the text cannot carry come before the failures.
    if (line.starts_with("orvane-cli: warning: ")) continue;
    EXPECT_TRUE(line.ends_with(": No space left on device")) << line;
    ++failures;
  }
  EXPECT_GT(failures, 0u);
  size_t partial = 0;
  for (const auto& [name, bytes] : golden.texts) {
    if (!fs::exists(disk / name)) continue;
    const std::string got = ReadFile(disk / name);
    EXPECT_TRUE(bytes.starts_with(got)) << name << " is not a prefix of its text";
    if (!got.empty() && got.size() < bytes.size()) ++partial;
  }
  EXPECT_GT(partial, 0u) << "no record kept what it got\n" << output;
  EXPECT_TRUE(TemporaryFilesIn(disk.path()).empty());
}

// A directory whose entries cannot change. Root ignores permission bits, so
// there a tmpfs remounted read-only stands in for it.
class ReadOnlyDirectory : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) {
      dir_ = std::make_unique<ScratchDir>();
      WriteSnapshot(dir_->path(), files_);
      fs::permissions(dir_->path(), fs::perms::owner_read | fs::perms::owner_exec);
      path_ = dir_->path();
      return;
    }
    disk_ = std::make_unique<SmallTmpfs>(kTmpfsSize);
    if (!disk_->Mounted()) GTEST_SKIP() << "running as root and cannot mount a tmpfs: " << disk_->Error();
    WriteSnapshot(disk_->path(), files_);
    if (!disk_->RemountReadOnly()) GTEST_SKIP() << "cannot remount a tmpfs read-only";
    path_ = disk_->path();
  }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

  GoldenCase golden;
  DirSnapshot files_ = [this] {
    DirSnapshot files = golden.texts;
    files["data.spf"] = golden.pulseFile;
    return files;
  }();
  fs::path path_;

 private:
  std::unique_ptr<ScratchDir> dir_;
  std::unique_ptr<SmallTmpfs> disk_;
};

TEST_F(ReadOnlyDirectory, ExportFailsAndChangesNothing) {
  RecordedConverter run;
  run.Convert(*this / "data.spf", true, true);
  EXPECT_EQ(LastStatus(run.trace), CantOpen(*this / "data.pfh", "writing"));
  EXPECT_EQ(SnapshotDir(path_), files_);
}

TEST_F(ReadOnlyDirectory, ImportFailsAndChangesNothing) {
  RecordedConverter run;
  run.Convert(*this / "data.pfh", false, true);
  EXPECT_EQ(LastStatus(run.trace), CantOpen(*this / "data.spf", "writing"));
  EXPECT_EQ(SnapshotDir(path_), files_);
}

// Targets the engine must not replace. A file without write permission is
// refused whoever runs the program, root included.
class RefusedTarget : public ::testing::Test {
 protected:
  GoldenCase golden;
  ScratchDir dir;
};

TEST_F(RefusedTarget, ReadOnlyHeaderTextFileStopsTheExport) {
  WriteFile(dir / "data.spf", golden.pulseFile);
  WriteFile(dir / "data.pfh", "kept\n");
  fs::permissions(dir / "data.pfh", fs::perms::owner_read);
  RecordedConverter run;
  run.Convert(dir / "data.spf", true, true);
  EXPECT_EQ(LastStatus(run.trace), CantOpen(dir / "data.pfh", "writing"));
  EXPECT_EQ(ReadFile(dir / "data.pfh"), "kept\n");
  EXPECT_EQ(fs::status(dir / "data.pfh").permissions(), fs::perms::owner_read);
  EXPECT_EQ(dir.Files(), (std::vector<std::string>{"data.pfh", "data.spf"}));
}

TEST_F(RefusedTarget, ReadOnlyRecordTextFileFailsOnlyItsRecord) {
  WriteFile(dir / "data.spf", golden.pulseFile);
  WriteFile(dir / "data.T0", "kept\n");
  fs::permissions(dir / "data.T0", fs::perms::owner_read);
  // By default the failed run puts none of its text files in place.
  RecordedConverter whole;
  whole.Convert(dir / "data.spf", true, true);
  EXPECT_EQ(LastStatus(whole.trace), CantOpen(dir / "data.T0", "writing"));
  EXPECT_EQ(dir.Files(), (std::vector<std::string>{"data.T0", "data.spf"}));
  // Keeping partial results, every other record's file is in place.
  RecordedConverter run;
  run.keepPartial = true;
  run.Convert(dir / "data.spf", true, true);
  EXPECT_EQ(LastStatus(run.trace), CantOpen(dir / "data.T0", "writing"));
  EXPECT_EQ(ReadFile(dir / "data.T0"), "kept\n");
  for (const auto& [name, bytes] : golden.texts) {
    if (name == "data.T0") continue;
    EXPECT_EQ(ReadFile(dir / name), bytes) << name;
  }
  EXPECT_TRUE(TemporaryFilesIn(dir.path()).empty());
}

TEST_F(RefusedTarget, ReadOnlyPulseFileStopsTheImport) {
  WriteSnapshot(dir.path(), golden.texts);
  WriteFile(dir / "data.spf", "kept");
  fs::permissions(dir / "data.spf", fs::perms::owner_read);
  RecordedConverter run;
  run.Convert(dir / "data.pfh", false, true);
  EXPECT_EQ(LastStatus(run.trace), CantOpen(dir / "data.spf", "writing"));
  EXPECT_EQ(ReadFile(dir / "data.spf"), "kept");
  EXPECT_TRUE(TemporaryFilesIn(dir.path()).empty());
}

TEST_F(RefusedTarget, DirectoryInPlaceOfTheHeaderTextFile) {
  WriteFile(dir / "data.spf", golden.pulseFile);
  fs::create_directory(dir / "data.pfh");
  RecordedConverter run;
  run.Convert(dir / "data.spf", true, true);
  EXPECT_EQ(LastStatus(run.trace), CantOpen(dir / "data.pfh", "writing"));
  EXPECT_TRUE(fs::is_directory(dir / "data.pfh"));
  EXPECT_EQ(dir.Files(), (std::vector<std::string>{"data.pfh", "data.spf"}));
}

TEST_F(RefusedTarget, DirectoryInPlaceOfARecordTextFile) {
  WriteFile(dir / "data.spf", golden.pulseFile);
  fs::create_directory(dir / "data.R0");
  RecordedConverter whole;
  whole.Convert(dir / "data.spf", true, true);
  EXPECT_EQ(LastStatus(whole.trace), CantOpen(dir / "data.R0", "writing"));
  EXPECT_EQ(dir.Files(), (std::vector<std::string>{"data.R0", "data.spf"}));
  RecordedConverter run;
  run.keepPartial = true;
  run.Convert(dir / "data.spf", true, true);
  EXPECT_EQ(LastStatus(run.trace), CantOpen(dir / "data.R0", "writing"));
  EXPECT_TRUE(fs::is_directory(dir / "data.R0"));
  EXPECT_EQ(ReadFile(dir / "data.T0"), golden.texts["data.T0"]);
  EXPECT_TRUE(TemporaryFilesIn(dir.path()).empty());
}

// Pulse power refuses such targets too, whoever runs the program.
TEST_F(RefusedTarget, ReadOnlyPulseFileStopsAPulsePowerSet) {
  const std::string original = GeneratedPulseFile(2, 9, 3);
  WriteFile(dir / "data.spf", original);
  fs::permissions(dir / "data.spf", fs::perms::owner_read);
  RecordedConverter run;
  run.SetPulsePower(dir / "data.spf", "50 -20");
  EXPECT_TRUE(run.RunFailed()) << run.trace.Joined();
  EXPECT_TRUE(ReadFile(dir / "data.spf") == original) << "the read-only pulse file was changed";
}

TEST_F(RefusedTarget, DirectoryInPlaceOfThePulseFileStopsAPulsePowerSet) {
  fs::create_directory(dir / "data.spf");
  RecordedConverter run;
  run.SetPulsePower(dir / "data.spf", "50");
  EXPECT_TRUE(run.RunFailed());
  EXPECT_TRUE(fs::is_directory(dir / "data.spf"));
}

TEST_F(RefusedTarget, DirectoryInPlaceOfThePulseFile) {
  WriteSnapshot(dir.path(), golden.texts);
  fs::create_directory(dir / "data.spf");
  RecordedConverter run;
  run.Convert(dir / "data.pfh", false, true);
  EXPECT_EQ(LastStatus(run.trace), CantOpen(dir / "data.spf", "writing"));
  EXPECT_TRUE(fs::is_directory(dir / "data.spf"));
  EXPECT_TRUE(TemporaryFilesIn(dir.path()).empty());

  RecordedConverter exportRun;
  exportRun.Convert(dir / "data.spf", true, true);
  EXPECT_EQ(LastStatus(exportRun.trace), CantOpen(dir / "data.spf", "reading"));
}

}  // namespace
}  // namespace orvane::testing
