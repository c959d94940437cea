// Export of arbitrary bytes as a pulse file, on the memory file system. The
// input is sealed first, so that it passes the checksum test and reaches the
// header and record code. The layout is the labelled one when the input's
// last byte is even, bare values when it is odd (so every input converts
// once, and a mutation of one bit switches). The export leaves the pulse file as
// it was, and a completed one writes the header text and one text file per
// record; no run leaves a file open or a temporary file. (That the text of
// a completed export imports back is the round trip target's part.)
// Records are converted on RecordThreads() threads. Files listing more
// than 64 records are passed by (HasManyRecords).
#include <cstring>

#include "fuzz_support.h"
#include "fuzz_target.h"
#include "orvane/pulse_file.h"

namespace orvane::fuzz {

std::vector<std::string> SeedInputs(const fs::path& golden) {
  std::vector<std::string> seeds;
  for (const auto& entry : fs::recursive_directory_iterator(golden))
    if (entry.path().filename() == "data.spf") seeds.push_back(ReadAll(entry.path()));
  // The checksum word is appended again by the target; these are already sealed.
  seeds.push_back(SmallTRecordFile({0.5f, -0.25f}));
  seeds.push_back(std::string(316, '\0'));
  return seeds;
}

}  // namespace orvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvane::fuzz;
  const std::string pulseFile = Sealed(std::string(reinterpret_cast<const char*>(data), size));
  if (HasManyRecords(pulseFile)) return 0;
  MemoryFileSystem& memory = Memory();
  const std::string base = kMemoryDir + "/data";
  const std::string spf = base + ".spf";
  const bool labelled = size == 0 || (data[size - 1] & 1) == 0;
  ClearMemory();
  memory.Put(spf, pulseFile);
  const bool exported = RunConversion(base, true, labelled, RecordThreads());
  Check(memory.Get(spf) == pulseFile, "the export changed the pulse file");
  if (!exported) return 0;
  orvane::PulseFileHeader header;
  std::memcpy(header.bytes.data(), pulseFile.data(), header.bytes.size());
  Check(memory.Files().size() == 2 + header.EntryCount(), "the export wrote another number of text files");
  Check(memory.Exists(base + ".pfh"), "the export wrote no header text");
  return 0;
}
