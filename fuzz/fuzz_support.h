// Helpers shared by the fuzz targets: a private working directory, a quiet
// reporter, checks that abort (so that libFuzzer records the input), and
// the small pulse files the targets build on.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "orvane/reporter.h"

namespace orvane::fuzz {

namespace fs = std::filesystem;

// A directory of this process, emptied by Clear and removed at a normal
// exit (libFuzzer ends without one: fuzz.sh gives it a root that it removes
// itself, through $ORVANE_FUZZ_ROOT). Files written by a run are limited to
// 16 MB, so that an input that asks for a huge file fails there instead of
// filling the disk.
const fs::path& WorkDir();
void ClearWorkDir();

// Aborts with a message when cond is false.
void Check(bool cond, const char* what);

// Remembers the last status message and ignores progress.
class QuietReporter : public ConversionReporter {
 public:
  void ShowStatus(const std::string& text) override { last = text; }
  void SetProgressPosition(int) override {}
  std::string last;
};

std::string ReadAll(const fs::path& path);
void WriteAll(const fs::path& path, const std::string& bytes);
bool HasTemporaryFiles(const fs::path& dir);

// bytes with a checksum word (after a zero byte when the length is odd)
// that brings the 16-bit word sum to zero.
std::string Sealed(std::string bytes);

// A valid pulse file with T records of the given GAIN values and a few
// samples each.
std::string SmallTRecordFile(const std::vector<float>& gains);

// The regular files of dir with their contents, sorted by name.
std::vector<std::pair<std::string, std::string>> FilesOf(const fs::path& dir);

}  // namespace orvane::fuzz
