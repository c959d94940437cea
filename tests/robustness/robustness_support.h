// Shared helpers of the robustness tests: snapshots of a directory, the
// leftovers of replacement files, golden cases staged for a run, and
// generated pulse files large enough to be interrupted.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "io/file_io.h"
#include "test_support.h"

namespace orvane::testing {

// Every regular file of a directory with its contents, by name.
using DirSnapshot = std::map<std::string, std::string>;
DirSnapshot SnapshotDir(const fs::path& dir);

// Names of the temporary files (".orvane-*") that replacement files left in dir.
std::vector<std::string> TemporaryFilesIn(const fs::path& dir);

// The golden text files of one case and layout (the record text files and
// data.pfh), by name.
DirSnapshot GoldenTexts(const fs::path& layoutDir);
// The names of the golden cases, sorted.
std::vector<std::string> GoldenCaseNames();

// Writes every file of snapshot into dir.
void WriteSnapshot(const fs::path& dir, const DirSnapshot& snapshot);

// A text that no run writes, standing for the previous version of a file.
std::string OldVersionOf(const std::string& name);

// Describes a fired fault for failure messages: "k=12 write on /x/data.T0".
std::string DescribeFault(uint64_t k);

// The last status message of a run, "" when there was none.
std::string LastStatus(const TraceRecorder& trace);

// A valid pulse file of tCount T records of tSamples samples each and one R
// and one I record of a few samples. Deterministic for a given seed; every
// T record starts with GAIN 0.
std::string GeneratedPulseFile(uint32_t tCount, uint32_t tSamples, uint32_t seed);
// Position of the GAIN field of T record n in a pulse file.
uint64_t GainPosition(const std::string& pulseFile, uint32_t n);

}  // namespace orvane::testing
