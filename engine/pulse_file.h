// The binary pulse file: a 316-byte header, a table of record offsets, the
// records, and a 16-bit word sum over the whole file that must be zero.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "byte_order.h"

namespace orvane {

namespace io {
class File;
}

constexpr uint32_t kPulseFileMagic = 0x35799753;
constexpr size_t kPulseFileHeaderSize = 316;
constexpr size_t kTRecordHeaderSize = 136;
constexpr size_t kRRecordHeaderSize = 152;
constexpr size_t kIRecordHeaderSize = 124;
constexpr size_t kOffsetEntrySize = 4;

// The header as stored: fields are decoded on access, little-endian.
struct PulseFileHeader {
  std::array<uint8_t, kPulseFileHeaderSize> bytes{};

  uint32_t Magic() const { return LoadU32(&bytes[0]); }
  uint32_t TCount() const { return LoadU32(&bytes[272]); }
  uint32_t RCount() const { return LoadU32(&bytes[276]); }
  uint32_t ICount() const { return LoadU32(&bytes[280]); }
  void SetMagic(uint32_t v) { StoreU32(&bytes[0], v); }
  void SetCounts(uint32_t t, uint32_t r, uint32_t i) {
    StoreU32(&bytes[272], t);
    StoreU32(&bytes[276], r);
    StoreU32(&bytes[280], i);
  }
};

struct TRecordHeader {
  std::array<uint8_t, kTRecordHeaderSize> bytes{};

  float Gain() const { return LoadF32(&bytes[92]); }
  void SetGain(float g) { StoreF32(&bytes[92], g); }
  int32_t Size() const { return LoadI32(&bytes[100]); }
};

static_assert(sizeof(PulseFileHeader) == 316);
static_assert(sizeof(TRecordHeader) == 136);

// The record offset table that follows the header: TCNT + RCNT + ICNT
// entries, T records first, then R, then I.
struct RecordOffsetTable {
  static constexpr uint64_t kStart = kPulseFileHeaderSize;
  static uint64_t EntryPosition(uint64_t entry) { return kStart + kOffsetEntrySize * entry; }
  // Entries of the table, summed without overflow.
  static uint64_t EntryCount(const PulseFileHeader& h) {
    return uint64_t{h.TCount()} + h.RCount() + h.ICount();
  }
  static uint64_t EndPosition(const PulseFileHeader& h) { return EntryPosition(EntryCount(h)); }
};

// 16-bit word sum of a byte range that starts on an even file offset.
uint16_t WordSum(const uint8_t* data, size_t size);

// The bytes a seal appends to a file of the given length and word sum: the
// word that brings the sum to zero, preceded on a file of odd length by a
// zero byte, which pairs with the formerly uncounted last byte so that the
// word starts on an even offset. Returns how many bytes to append.
size_t SealBytes(uint16_t sum, uint64_t length, uint8_t lastByte, uint8_t out[3]);

struct ChecksumPass {
  uint16_t sum = 0;
  uint64_t length = 0;
  bool readError = false;  // the pass stopped before the end of the file
};
// Sums every complete 16-bit word of the file from offset 0 to its end; a
// final odd byte is not counted. Leaves the file at an unspecified position.
ChecksumPass SumFileWords(io::File& file);

// 1 for a valid pulse file (magic number and zero word sum), 0 otherwise.
int ValidatePulseFile(const std::string& path);
// The header of a valid pulse file, or nothing.
std::optional<PulseFileHeader> ReadPulseFileHeader(const std::string& path);
// The header of T record n of a valid pulse file, or nothing.
std::optional<TRecordHeader> ReadRecordHeader(const std::string& path, uint32_t n);
// Overwrites the header of T record n in place; 1 on success. The checksum
// is left for SealPulseFile to restore.
int WriteRecordHeader(const std::string& path, uint32_t n, const TRecordHeader& record);

}  // namespace orvane
