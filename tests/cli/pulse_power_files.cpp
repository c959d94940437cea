#include "pulse_power_files.h"

#include "format/checksum.h"
#include "orvane/pulse_file.h"
#include "test_support.h"

namespace orvane::testing {

namespace {

void Put32(std::string& bytes, size_t at, uint32_t value) {
  StoreU32(reinterpret_cast<uint8_t*>(bytes.data() + at), value);
}

// Header, offset table and room for `reserve` bytes before the records.
std::string Head(const PowerFileLayout& layout, size_t reserve) {
  PulseFileHeader header;
  header.SetMagic(format::kMagic);
  header.SetCounts(static_cast<uint32_t>(layout.gains.size()), layout.rCount, 0);
  std::string bytes(reinterpret_cast<const char*>(header.bytes.data()), header.bytes.size());
  bytes.resize(header.TableEnd() + reserve, '\0');
  return bytes;
}

void AppendRecords(std::string& bytes, const PowerFileLayout& layout) {
  const uint32_t count = static_cast<uint32_t>(layout.gains.size()) + layout.rCount;
  for (uint32_t n = 0; n < count; ++n) {
    bytes.append(layout.gap, '\x5a');
    Put32(bytes, format::EntryPosition(n), static_cast<uint32_t>(bytes.size()));
    const bool t = n < layout.gains.size();
    std::string record(t ? format::kTHeader.size : format::kRHeader.size, '\0');
    std::string desc = std::string(t ? "T" : "R") + " record " + std::to_string(n);
    record.replace(0, desc.size(), desc);
    if (t) {
      TRecordHeader header;
      std::copy(record.begin(), record.end(), header.bytes.begin());
      header.SetGain(layout.gains[n]);
      record.assign(header.bytes.begin(), header.bytes.end());
    }
    bytes += record;
    bytes.append(layout.samples, '\x33');
  }
}

}  // namespace

std::string UnsealedPowerFile(const PowerFileLayout& layout) {
  std::string bytes = Head(layout, 0);
  AppendRecords(bytes, layout);
  return bytes;
}

std::string PowerFile(const PowerFileLayout& layout) { return SealedBytes(UnsealedPowerFile(layout)); }

std::string PowerFileEndingInAHeader(const std::vector<float>& gains) {
  PowerFileLayout layout{gains, 1, 0, 0};
  std::string bytes = Head(layout, 2);
  const size_t balance = bytes.size() - 2;  // even: right after the table
  AppendRecords(bytes, layout);
  uint16_t sum = WordSum(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  StoreU16(reinterpret_cast<uint8_t*>(bytes.data() + balance), static_cast<uint16_t>(0u - sum));
  return bytes;
}

}  // namespace orvane::testing
