#include "robustness_support.h"

#include "pulse_file_builder.h"

namespace orvane::testing {

std::string GeneratedPulseFile(uint32_t tCount, uint32_t tSamples, uint32_t seed) {
  // A small deterministic generator, so that a failing case can be replayed.
  uint32_t state = seed;
  auto words = [&state](uint32_t count) {
    std::vector<int16_t> samples(count);
    for (int16_t& sample : samples)
      sample = static_cast<int16_t>((state = state * 1664525u + 1013904223u) >> 8);
    return samples;
  };
  PulseFileBuilder file;
  file.header.Text("DESC", "generated pulse file");
  for (uint32_t n = 0; n < tCount; ++n) file.records.push_back(BuiltRecord::T(words(tSamples)));
  file.records.push_back(BuiltRecord::R({-2.0f, -0.75f, 0.5f, 1.75f, 3.0f, 4.25f}));
  file.records.push_back(BuiltRecord::I(words(5)));
  for (BuiltRecord& record : file.records)
    record.header.Text("DESC", std::string(1, record.Kind().letter) + " record").Real("RATE", 1.0f);
  return file.Sealed();
}

uint64_t GainPosition(const std::string& pulseFile, uint32_t n) {
  return GetU32(pulseFile, format::EntryPosition(n)) + format::kTHeader.Offset("GAIN");
}

}  // namespace orvane::testing
