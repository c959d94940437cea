// Export of arbitrary bytes as a pulse file. The input is sealed first, so
// that it passes the checksum test and reaches the header and record code.
// Both layouts; a completed export must import back into a valid pulse file.
#include "fuzz_support.h"
#include "fuzz_target.h"
#include "orvane/convert.h"
#include "orvane/pulse_file.h"

namespace orvane::fuzz {

namespace {

// Runs one conversion of base in dir; answers whether it completed.
bool Convert(const fs::path& base, bool toAscii, int headers) {
  QuietReporter reporter;
  ConversionRequest request;
  request.fileName = base.string() + (toAscii ? ".spf" : ".pfh");
  request.direction = toAscii ? Direction::ToText : Direction::FromText;
  request.labelled = headers != 0;
  const Outcome outcome = orvane::Convert(request, reporter);
  const bool complete = reporter.last == MessageFormat(Failure::None);
  Check(complete == outcome.ok(), "the last status disagrees with the run's outcome");
  Check(!HasTemporaryFiles(base.parent_path()), "a temporary file was left behind");
  return complete;
}

}  // namespace

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
  const fs::path base = WorkDir() / "data";
  const fs::path spf = WorkDir() / "data.spf";
  for (int headers : {1, 0}) {
    ClearWorkDir();
    WriteAll(spf, pulseFile);
    const bool exported = Convert(base, true, headers);
    Check(ReadAll(spf) == pulseFile, "the export changed the pulse file");
    if (!exported) continue;
    fs::remove(spf);
    Check(Convert(base, false, headers), "the text of a completed export does not import");
    Check(orvane::ValidatePulseFile(spf.string()) == 1, "the imported pulse file is not valid");
  }
  return 0;
}
