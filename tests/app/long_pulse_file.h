// A valid pulse file of T records only, as big as a test needs: long runs
// of the engine without a golden copy of megabytes.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "orvane/byte_order.h"
#include "orvane/format.h"

namespace orvane::testing {

// Writes records T records of samplesPerRecord samples each to path,
// sealed so that the file's word sum is zero.
inline void WriteLongPulseFile(const std::string& path, uint32_t records, uint32_t samplesPerRecord) {
  const uint64_t recordBytes = format::kTHeader.size + 2ull * samplesPerRecord;
  std::string head(format::kFileHeader.size + format::kOffsetEntrySize * records, '\0');
  auto* bytes = reinterpret_cast<uint8_t*>(head.data());
  StoreU32(bytes + format::kFileHeader.Offset("MAGC"), format::kMagic);
  StoreU32(bytes + format::kFileHeader.Offset("TCNT"), records);
  for (uint32_t n = 0; n < records; ++n)
    StoreU32(bytes + format::EntryPosition(n), static_cast<uint32_t>(head.size() + n * recordBytes));

  std::string record(recordBytes, '\0');
  auto* r = reinterpret_cast<uint8_t*>(record.data());
  StoreF32(r + format::kTHeader.Offset("RATE"), 1000.0f);
  StoreF32(r + format::kTHeader.Offset("GAIN"), 0.5f);
  StoreU32(r + format::kTHeader.Offset("SIZE"), samplesPerRecord);
  for (uint32_t k = 0; k < samplesPerRecord; ++k)
    StoreU16(r + format::kTHeader.size + 2 * k,
             static_cast<uint16_t>(static_cast<int16_t>((k * 7919u) % 65536u - 32768)));

  auto wordSum = [](const std::string& part) {
    uint16_t sum = 0;
    for (size_t at = 0; at + 1 < part.size(); at += 2)
      sum = static_cast<uint16_t>(sum + LoadU16(reinterpret_cast<const uint8_t*>(part.data() + at)));
    return sum;
  };
  uint16_t sum = wordSum(head);
  const uint16_t perRecord = wordSum(record);
  for (uint32_t n = 0; n < records; ++n) sum = static_cast<uint16_t>(sum + perRecord);
  std::string seal(2, '\0');
  StoreU16(reinterpret_cast<uint8_t*>(seal.data()), static_cast<uint16_t>(0u - sum));

  std::ofstream out(path, std::ios::binary);
  out << head;
  for (uint32_t n = 0; n < records; ++n) out << record;
  out << seal;
}

}  // namespace orvane::testing
