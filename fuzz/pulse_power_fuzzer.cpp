// The pulse power text of "Set" on a small valid pulse file with three T
// records. Whatever the text, the file stays a valid pulse file; a refused
// text writes nothing; an accepted one sets powers between -100 and 100.
// Runs on the memory file system.
#include "fuzz_support.h"
#include "fuzz_target.h"
#include "orvane/pulse_file.h"
#include "orvane/pulse_power.h"

namespace orvane::fuzz {

namespace {

const std::vector<float> kGains = {0.5f, -0.25f, 1.0f};

// The integers of a "Get Pulse Power" text.
std::vector<long> Powers(const std::string& text) {
  std::vector<long> powers;
  const char* p = text.c_str();
  for (char* end = nullptr;; p = end) {
    long v = std::strtol(p, &end, 10);
    if (end == p) break;
    powers.push_back(v);
  }
  return powers;
}

}  // namespace

std::vector<std::string> SeedInputs(const fs::path&) {
  return {"50 -20 100 ",
          "-37",
          "150 -150",
          "10.5 20",
          "10-20",
          "",
          "   ",
          "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21",
          "x",
          "+5\t-5\n7",
          "99999999999999999999",
          "-2147483648 2147483647",
          "0x10"};
}

}  // namespace orvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvane::fuzz;
  static const std::string original = SmallTRecordFile(kGains);
  const std::string text(reinterpret_cast<const char*>(data), std::min<size_t>(size, 4096));
  MemoryFileSystem& memory = Memory();
  const std::string spf = kMemoryDir + "/data.spf";
  ClearMemory();
  memory.Put(spf, original);
  QuietReporter reporter;
  const orvane::Outcome outcome = orvane::SetPulsePower(spf, text, reporter);
  const std::string after = memory.Get(spf).value_or("");
  Check(memory.OpenDescriptors() == 0, "Set left a file open");
  Check(orvane::ValidatePulseFile(spf) == 1, "Set left an invalid pulse file");
  CheckNoTemporaryFiles(memory);
  Check(after.size() >= original.size() && after.size() <= original.size() + 2 * kGains.size(),
        "Set appended more than one checksum word per record");
  if (!outcome.ok()) {
    Check(after == original, "a refused Set changed the pulse file");
    return 0;
  }
  auto shown = orvane::GetPulsePower(spf, reporter).text;
  Check(shown.has_value(), "Get fails after a successful Set");
  const std::vector<long> powers = Powers(*shown);
  Check(powers.size() == kGains.size(), "Get shows another number of T records");
  for (long power : powers) Check(power >= -100 && power <= 100, "a power beyond -100 to 100 was set");
  return 0;
}
