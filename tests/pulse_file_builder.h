// Pulse files built byte by byte for the tests, and taken apart again. Every
// offset and size comes from the engine's format description; the
// arrangement is the builder's own, so that a test of the engine does not
// check the engine against itself. Records lie one after another behind the
// offset table, with a 16-bit zero after an odd number of T or I samples, as
// the import lays them out; a test may still set any field, count, entry or
// SIZE to what no well-formed file holds, put bytes between records, or cut
// and reseal the bytes as it likes.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "orvane/byte_order.h"
#include "orvane/format.h"
#include "test_support.h"

namespace orvane::testing {

// Little-endian numbers in a byte string.
inline uint8_t* BytesAt(std::string& bytes, size_t at) { return reinterpret_cast<uint8_t*>(&bytes[at]); }
inline const uint8_t* BytesAt(const std::string& bytes, size_t at) {
  return reinterpret_cast<const uint8_t*>(&bytes[at]);
}
inline void PutU16(std::string& b, size_t at, uint16_t v) { StoreU16(BytesAt(b, at), v); }
inline void PutU32(std::string& b, size_t at, uint32_t v) { StoreU32(BytesAt(b, at), v); }
inline uint16_t GetU16(const std::string& b, size_t at) { return LoadU16(BytesAt(b, at)); }
inline uint32_t GetU32(const std::string& b, size_t at) { return LoadU32(BytesAt(b, at)); }
inline float GetF32(const std::string& b, size_t at) { return LoadF32(BytesAt(b, at)); }

// A header's bytes, its fields set and read by their labels. An unknown
// label throws, which fails the test that used it.
class HeaderFields {
 public:
  explicit HeaderFields(const HeaderDescription& description, std::string bytes = {});
  // A text field: the text cut at the field's size, NULs behind it.
  HeaderFields& Text(std::string_view label, const std::string& text);
  // An integer field, stored in its own width whatever its sign.
  HeaderFields& Int(std::string_view label, int64_t value);
  HeaderFields& Real(std::string_view label, float value);
  std::string TextOf(std::string_view label) const;  // up to its first NUL
  int64_t IntOf(std::string_view label) const;       // signed for Int32 fields
  float RealOf(std::string_view label) const;

  const HeaderDescription& Description() const { return *description_; }
  const std::string& Bytes() const { return bytes_; }
  size_t OffsetOf(std::string_view label) const { return Field(label).offset; }

 private:
  const FieldDescription& Field(std::string_view label) const;
  const HeaderDescription* description_;
  std::string bytes_;
};

// One record: its header, its samples as stored, and what surrounds it.
struct BuiltRecord {
  explicit BuiltRecord(RecordType kind);
  static BuiltRecord T(const std::vector<int16_t>& samples = {});
  static BuiltRecord R(const std::vector<float>& samples = {});
  static BuiltRecord I(const std::vector<int16_t>& samples = {});

  const RecordDescription& Kind() const { return DescribeRecord(type); }
  uint64_t Count() const { return samples.size() / Kind().sampleBytes; }
  // The header with SIZE: `size` when set, else the number of samples.
  std::string HeaderBytes() const;
  // The header, the samples and, after an odd SIZE of 16-bit samples, the pad.
  std::string Bytes() const;

  RecordType type;
  HeaderFields header;
  std::string samples;          // little-endian int16 (T, I) or float32 (R)
  std::optional<int64_t> size;  // SIZE in place of the number of samples
  std::string before, after;    // bytes around the record that nothing accounts for
};

// Little-endian samples as a record stores them.
std::string WordSamples(const std::vector<int16_t>& samples);
std::string RealSamples(const std::vector<float>& samples);

// A whole pulse file: the header, the offset table and the records.
struct PulseFileBuilder {
  PulseFileBuilder();  // a header with the magic number and nothing else

  // Records of given samples with a RATE of 1000, as the viewer tests draw them.
  PulseFileBuilder& T(const std::vector<int16_t>& samples, float gain = 0.5f, const std::string& desc = "t");
  PulseFileBuilder& R(const std::vector<float>& samples, const std::string& desc = "r");
  PulseFileBuilder& I(const std::vector<int16_t>& samples, const std::string& desc = "i");

  // The header with the counts written in.
  std::string HeaderBytes() const;
  std::string Unsealed() const;
  std::string Sealed() const { return SealedBytes(Unsealed()); }
  void WriteSealed(const std::string& path) const { WriteFile(path, Sealed()); }
  // Writes the file through the engine's own writer, for tests whose
  // subject is not the file's layout. Only a well-formed file can be
  // written so: nothing set by hand that the writer would set.
  void WriteTo(const std::string& path) const;

  HeaderFields header{format::kFileHeader};
  // In the order they lie in the file; the table lists them kind by kind,
  // T, then R, then I, each kind in this order.
  std::vector<BuiltRecord> records;
  // Counts to write in place of the numbers of records of each kind.
  std::optional<std::array<uint32_t, 3>> counts;
};

// A pulse file taken apart through its offset table.
struct ParsedRecord {
  RecordType type;
  HeaderFields header;
  std::string samples;  // the sample bytes its SIZE calls for
};
struct ParsedPulseFile {
  HeaderFields header{format::kFileHeader};
  std::vector<ParsedRecord> records;  // in table order
};
// Nothing when the table or a record does not lie inside the bytes.
std::optional<ParsedPulseFile> ParsePulseFile(const std::string& bytes);

}  // namespace orvane::testing
