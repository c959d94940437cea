#include "pulse_power_files.h"

#include "format/checksum.h"
#include "pulse_file_builder.h"

namespace orvane::testing {

namespace {

// The records of layout, each behind its filler and followed by its sample
// bytes, which no SIZE counts.
PulseFileBuilder PowerFileBuilder(const PowerFileLayout& layout) {
  PulseFileBuilder file;
  for (size_t n = 0; n < layout.gains.size() + layout.rCount; ++n) {
    const bool t = n < layout.gains.size();
    file.records.emplace_back(t ? RecordType::T : RecordType::R);
    BuiltRecord& record = file.records.back();
    record.header.Text("DESC", std::string(t ? "T" : "R") + " record " + std::to_string(n));
    if (t) record.header.Real("GAIN", layout.gains[n]);
    record.before.assign(layout.gap, '\x5a');
    record.after.assign(layout.samples, '\x33');
  }
  return file;
}

}  // namespace

std::string UnsealedPowerFile(const PowerFileLayout& layout) { return PowerFileBuilder(layout).Unsealed(); }

std::string PowerFile(const PowerFileLayout& layout) { return SealedBytes(UnsealedPowerFile(layout)); }

std::string PowerFileEndingInAHeader(const std::vector<float>& gains) {
  PulseFileBuilder file = PowerFileBuilder({gains, 1, 0, 0});
  file.records[0].before.insert(0, 2, '\0');  // the balancing word, right after the table
  std::string bytes = file.Unsealed();
  const size_t balance = format::EntryPosition(gains.size());
  PutU16(bytes, balance, static_cast<uint16_t>(0u - WordSum(BytesAt(bytes, 0), bytes.size())));
  return bytes;
}

}  // namespace orvane::testing
