// Import of arbitrary text files. The input is split at the byte 0x1E: the
// first part is the header text file, each further part a record text file
// whose first byte names its kind ('T', 'R' or 'I'; another byte picks one),
// numbered in order within its kind. Both layouts. A failed import keeps the
// previous pulse file; a completed one writes a valid pulse file. Runs on
// the memory file system, the records on RecordThreads() threads.
#include "fuzz_support.h"
#include "fuzz_target.h"
#include "orvane/pulse_file.h"

namespace orvane::fuzz {

namespace {

constexpr char kSeparator = '\x1e';
constexpr size_t kMaxRecordFiles = 12;
const std::string kPreviousPulseFile = "the previous pulse file";

char KindOf(char selector) {
  if (selector == 'T' || selector == 'R' || selector == 'I') return selector;
  return "TRI"[static_cast<unsigned char>(selector) % 3];
}

// Writes the text files of input into the working folder.
void WriteTextFiles(const std::string& input) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t end = input.find(kSeparator, start);
    parts.push_back(input.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos || parts.size() > kMaxRecordFiles) break;
    start = end + 1;
  }
  Memory().Put(kMemoryDir + "/data.pfh", parts[0]);
  int numbers[3] = {0, 0, 0};
  for (size_t i = 1; i < parts.size(); ++i) {
    if (parts[i].empty()) continue;
    const char kind = KindOf(parts[i][0]);
    int& number = numbers[kind == 'T' ? 0 : kind == 'R' ? 1 : 2];
    Memory().Put(kMemoryDir + "/data." + std::string(1, kind) + std::to_string(number++), parts[i].substr(1));
  }
}

}  // namespace

std::vector<std::string> SeedInputs(const fs::path& golden) {
  std::vector<std::string> seeds;
  for (const auto& entry : fs::recursive_directory_iterator(golden)) {
    if (!entry.is_regular_file() || entry.path().filename() != "data.pfh") continue;
    std::string seed = ReadAll(entry.path());
    for (char kind : {'T', 'R', 'I'}) {
      for (int n = 0;; ++n) {
        fs::path record = entry.path().parent_path() / ("data." + std::string(1, kind) + std::to_string(n));
        if (!fs::exists(record)) break;
        seed += kSeparator + std::string(1, kind) + ReadAll(record);
      }
    }
    seeds.push_back(seed);
  }
  return seeds;
}

}  // namespace orvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvane::fuzz;
  const std::string input(reinterpret_cast<const char*>(data), size);
  MemoryFileSystem& memory = Memory();
  const std::string spf = kMemoryDir + "/data.spf";
  for (bool labelled : {true, false}) {
    ClearMemory();
    WriteTextFiles(input);
    memory.Put(spf, kPreviousPulseFile);
    const auto textsBefore = memory.Files();
    const bool complete = RunConversion(kMemoryDir + "/data", false, labelled, RecordThreads());
    if (complete) {
      Check(IsSealedPulseFile(memory.Get(spf).value_or("")), "the imported pulse file is not sealed");
      memory.Put(spf, kPreviousPulseFile);
    }
    Check(memory.Files() == textsBefore, "a failed import changed a file");
  }
  return 0;
}
