// A valid pulse file of T records only, as big as a test needs: long runs
// of the engine without a golden copy of megabytes. Written by the engine's
// own writer, every record sharing one block of samples.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "orvane/byte_order.h"
#include "orvane/pulse_file_writer.h"

namespace orvane::testing {

// Writes records T records of samplesPerRecord samples each to path.
inline void WriteLongPulseFile(const std::string& path, uint32_t records, uint32_t samplesPerRecord) {
  std::array<uint8_t, format::kTHeader.size> header{};
  StoreF32(&header[format::kTHeader.Offset("RATE")], 1000.0f);
  StoreF32(&header[format::kTHeader.Offset("GAIN")], 0.5f);
  std::vector<uint8_t> samples(2 * size_t{samplesPerRecord});
  for (uint32_t k = 0; k < samplesPerRecord; ++k)
    StoreU16(&samples[2 * k], static_cast<uint16_t>(static_cast<int16_t>((k * 7919u) % 65536u - 32768)));
  const std::vector<RecordToWrite> all(records, RecordToWrite{RecordType::T, header, samples});
  const std::array<uint8_t, format::kFileHeader.size> fileHeader{};
  const Outcome outcome = WritePulseFile(path, fileHeader, all);
  ASSERT_TRUE(outcome.ok()) << outcome.message;
}

}  // namespace orvane::testing
