// The binary pulse file's file-level operations: validation, the header,
// T record headers read and written in place, and the checksum seal.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "orvane/byte_order.h"
#include "orvane/format.h"
#include "orvane/messages.h"
#include "orvane/reporter.h"

namespace orvane {

// The header as stored: fields are decoded on access, little-endian.
struct PulseFileHeader {
  std::array<uint8_t, format::kFileHeader.size> bytes{};

  uint32_t Magic() const { return LoadU32(&bytes[format::kFileHeader.Offset("MAGC")]); }
  uint32_t TCount() const { return LoadU32(&bytes[format::kFileHeader.Offset("TCNT")]); }
  uint32_t RCount() const { return LoadU32(&bytes[format::kFileHeader.Offset("RCNT")]); }
  uint32_t ICount() const { return LoadU32(&bytes[format::kFileHeader.Offset("ICNT")]); }
  // Entries of the offset table, summed without overflow.
  uint64_t EntryCount() const { return uint64_t{TCount()} + RCount() + ICount(); }
  // First byte after the offset table.
  uint64_t TableEnd() const { return format::EntryPosition(EntryCount()); }
  void SetMagic(uint32_t v) { StoreU32(&bytes[format::kFileHeader.Offset("MAGC")], v); }
  void SetCounts(uint32_t t, uint32_t r, uint32_t i) {
    StoreU32(&bytes[format::kFileHeader.Offset("TCNT")], t);
    StoreU32(&bytes[format::kFileHeader.Offset("RCNT")], r);
    StoreU32(&bytes[format::kFileHeader.Offset("ICNT")], i);
  }
};

struct TRecordHeader {
  std::array<uint8_t, format::kTHeader.size> bytes{};

  float Gain() const { return LoadF32(&bytes[format::kTHeader.Offset("GAIN")]); }
  void SetGain(float g) { StoreF32(&bytes[format::kTHeader.Offset("GAIN")], g); }
  int32_t Size() const { return LoadI32(&bytes[format::kTHeader.Offset("SIZE")]); }
};

// 1 for a valid pulse file (magic number and zero word sum), 0 otherwise.
int ValidatePulseFile(const std::string& path);
// The header of a valid pulse file, or nothing.
std::optional<PulseFileHeader> ReadPulseFileHeader(const std::string& path);
// The header of T record n of a valid pulse file, or nothing.
std::optional<TRecordHeader> ReadRecordHeader(const std::string& path, uint32_t n);
// Overwrites the header of T record n in place; 1 on success. The checksum
// is left for SealPulseFile to restore.
int WriteRecordHeader(const std::string& path, uint32_t n, const TRecordHeader& record);

// Appends the word that brings the word sum of baseName + ".spf" back to
// zero, reporting the success message with a progress reset, or the
// failure.
Outcome SealPulseFile(const std::string& baseName, ConversionReporter& reporter);

}  // namespace orvane
