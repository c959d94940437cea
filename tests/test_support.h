// Shared helpers of the tests: a reporter that records the protocol of a
// run and views of what it recorded, scratch directories, file helpers and
// snapshots of a directory.
#pragma once

#include <bit>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "io/file_io.h"
#include "orvane/convert.h"
#include "orvane/pulse_power.h"
#include "orvane/reporter.h"

namespace orvane::testing {

namespace fs = std::filesystem;

// Records every status message and progress position as trace lines.
class TraceRecorder : public ConversionReporter {
 public:
  void ShowStatus(const std::string& text) override { lines.push_back("status: " + text); }
  void SetProgressPosition(int position) override {
    lines.push_back("progress: " + std::to_string(position));
  }
  std::string Joined() const;
  std::vector<std::string> lines;
};

// What a run recorded: its status messages and its progress positions.
std::vector<std::string> Statuses(const TraceRecorder& trace);
std::vector<int> ProgressPositions(const TraceRecorder& trace);
// The first and the last status message, "" when there was none.
std::string FirstStatus(const TraceRecorder& trace);
std::string LastStatus(const TraceRecorder& trace);

// Runs of the engine's public API, each recorded by its own recorder.
struct RecordedConverter {
  TraceRecorder trace;
  unsigned threads = 0;      // for Convert; 0: the engine's default
  bool keepPartial = false;  // for Convert: an export puts each text file in place at once
  Outcome outcome;           // of the last run
  // Runs the Convert command on name in the given direction and layout.
  void Convert(const std::string& name, bool toAscii, bool labelled);
  std::optional<std::string> GetPulsePower(const std::string& name);
  void SetPulsePower(const std::string& name, const std::string& text);
  void SealPulseFile(const std::string& baseName);
  // The last run reported a failure (an empty file name is none).
  bool RunFailed() const { return !outcome.ok() && outcome.code != Failure::FileNameRequired; }
};

// A fresh directory below the system's temporary directory, removed at the end.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  const fs::path& path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }
  // Names of the files in it, sorted.
  std::vector<std::string> Files() const;

 private:
  fs::path path_;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& contents);
// The golden data directory, given to the tests by the build.
fs::path GoldenDir();
// The names of the golden cases, sorted.
std::vector<std::string> GoldenCaseNames();
// Builds a pulse file with a zero word sum from a header and records.
std::string SealedBytes(std::string bytes);

// Every regular file of a directory with its contents, by name.
using DirSnapshot = std::map<std::string, std::string>;
DirSnapshot SnapshotDir(const fs::path& dir);
// Writes every file of snapshot into dir.
void WriteSnapshot(const fs::path& dir, const DirSnapshot& snapshot);
// The golden text files of one case and layout (the record text files and
// data.pfh), by name.
DirSnapshot GoldenTexts(const fs::path& layoutDir);
// Names of the temporary files (".orvane-*") that replacement files left in dir.
std::vector<std::string> TemporaryFilesIn(const fs::path& dir);
// A text that no run writes, standing for the previous version of a file.
inline std::string OldVersionOf(const std::string& name) { return "previous contents of " + name + "\n"; }

// A float's bits and back, for tests that go over float values by their bits.
inline float FromBits(uint32_t bits) { return std::bit_cast<float>(bits); }
inline uint32_t Bits(float f) { return std::bit_cast<uint32_t>(f); }

// A test's name from the name of its case: whatever is not a letter or a
// digit becomes '_', as GoogleTest wants.
inline std::string TestNameOf(std::string name) {
  for (char& c : name)
    if (!isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

}  // namespace orvane::testing
