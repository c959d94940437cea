// Helpers shared by the fuzz targets: a private working directory, a quiet
// reporter, checks that abort (so that libFuzzer records the input), and
// the small pulse files the targets build on.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "format/structure_check.h"
#include "memory_file_system.h"
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

// True when bytes start with the magic number and their word sum is zero:
// what a completed import promises. A complete import may still give a
// file the structure check refuses (an R record cut short by a short value
// line keeps its SIZE), so that check is not asked here.
bool IsSealedPulseFile(const std::string& bytes);

// A valid pulse file with T records of the given GAIN values and a few
// samples each.
std::string SmallTRecordFile(const std::vector<float>& gains);

// A valid pulse file with one T, one R and one I record of a few samples
// each, with descriptions and a few fields set.
std::string SmallMixedFile();

// The regular files of dir with their contents, sorted by name.
std::vector<std::pair<std::string, std::string>> FilesOf(const fs::path& dir);

// The memory file system the targets run the engine on, made the file
// layer's on first use, with its working folder kMemoryDir.
MemoryFileSystem& Memory();
inline const std::string kMemoryDir = "/fuzz";
// Removes every file of the memory file system, after checking that the
// last run left no descriptor open and no temporary file held.
void ClearMemory();
// Checks that no file of the memory file system has a temporary name.
void CheckNoTemporaryFiles(const MemoryFileSystem& memory);

// Threads for the records of a conversion: $ORVANE_FUZZ_THREADS, else 1
// (handing records to threads costs more than most fuzz inputs take to
// convert).
unsigned RecordThreads();

// Runs Convert on base + ".spf" (to text) or base + ".pfh" (from text) and
// checks that its last status agrees with its outcome; answers whether it
// completed. exact: the export writes the exact layout (to-ascii --exact).
bool RunConversion(const std::string& base, bool toText, bool labelled, unsigned threads, bool exact = false);

// True when pulseFile's offset table lies inside it and lists more than
// most records. The targets that convert whole files pass such inputs by:
// each further record runs the same code again and costs the fuzzer a text
// file.
bool HasManyRecords(const std::string& pulseFile, uint64_t most = 64);

// The structure of a pulse file held in bytes, as every reader checks it.
StructureReport StructureOf(const std::string& bytes, bool stopAtFirst);
// The sample bytes of every record of a valid pulse file, in table order,
// each as its kind letter and bytes.
std::vector<std::pair<char, std::string>> SamplesOf(const std::string& bytes);

}  // namespace orvane::fuzz
