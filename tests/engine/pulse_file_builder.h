// Builds pulse files byte by byte for the engine tests, and takes them apart
// again: the header fields, records of the three kinds placed one after
// another behind the offset table, and the checksum seal.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "../test_support.h"
#include "orvane/byte_order.h"
#include "orvane/pulse_file.h"

namespace orvane::testing {

// Little-endian access to a byte string.
inline uint8_t* BytesAt(std::string& bytes, size_t at) { return reinterpret_cast<uint8_t*>(&bytes[at]); }
inline const uint8_t* BytesAt(const std::string& bytes, size_t at) {
  return reinterpret_cast<const uint8_t*>(&bytes[at]);
}
inline void PutU16(std::string& b, size_t at, uint16_t v) { StoreU16(BytesAt(b, at), v); }
inline void PutU32(std::string& b, size_t at, uint32_t v) { StoreU32(BytesAt(b, at), v); }
inline void PutI32(std::string& b, size_t at, int32_t v) { PutU32(b, at, static_cast<uint32_t>(v)); }
inline void PutF32(std::string& b, size_t at, float v) { StoreF32(BytesAt(b, at), v); }
inline uint16_t GetU16(const std::string& b, size_t at) { return LoadU16(BytesAt(b, at)); }
inline uint32_t GetU32(const std::string& b, size_t at) { return LoadU32(BytesAt(b, at)); }
inline int32_t GetI32(const std::string& b, size_t at) { return LoadI32(BytesAt(b, at)); }
inline float GetF32(const std::string& b, size_t at) { return LoadF32(BytesAt(b, at)); }
inline uint32_t FloatBits(float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  return bits;
}

// A text field of size bytes: the text, cut at size, NUL-filled behind it.
inline void PutText(std::string& b, size_t at, size_t size, const std::string& text) {
  for (size_t k = 0; k < size; ++k) b[at + k] = k < text.size() ? text[k] : '\0';
}
// The text of a field up to its first NUL.
inline std::string GetText(const std::string& b, size_t at, size_t size) {
  std::string text = b.substr(at, size);
  return text.substr(0, text.find('\0'));
}

// Offsets of the fields of the 316-byte file header.
namespace file_header {
constexpr size_t kMagic = 0, kDesc = 4, kSubs = 84, kPnam = 88, kPdes = 168, kFmin = 248, kFmax = 252,
                 kTime = 256, kPid = 260, kUnus = 262, kStyp = 264, kPtyp = 268, kTcnt = 272, kRcnt = 276,
                 kIcnt = 280, kMxpr = 284, kRs0 = 288;
}

struct FileHeaderSpec {
  uint32_t magic = format::kMagic;
  std::string desc, pnam, pdes;
  int32_t subs = 0, fmin = 0, fmax = 0, time = 0;
  uint16_t pid = 0, unus = 0;
  int32_t styp = 0, ptyp = 0;
  float mxpr = 0;
  std::array<int32_t, 7> rs{};
};

struct TRecordSpec {
  std::string desc;
  uint32_t chan = 0;
  float rate = 0;
  int32_t offs = 0;
  float gain = 0;
  int32_t type = 0;
  std::optional<int32_t> size;  // the SIZE field; the number of samples when unset
  float fhz0 = 0, fhzN = 0;
  std::array<int32_t, 6> rs{};
  std::vector<int16_t> samples;

  std::string Bytes() const {
    std::string b(format::kTHeader.size, '\0');
    PutText(b, 0, 80, desc);
    PutU32(b, 80, chan);
    PutF32(b, 84, rate);
    PutI32(b, 88, offs);
    PutF32(b, 92, gain);
    PutI32(b, 96, type);
    PutI32(b, 100, size.value_or(static_cast<int32_t>(samples.size())));
    PutF32(b, 104, fhz0);
    PutF32(b, 108, fhzN);
    for (size_t k = 0; k < rs.size(); ++k) PutI32(b, 112 + 4 * k, rs[k]);
    for (int16_t s : samples) {
      b.resize(b.size() + 2);
      PutU16(b, b.size() - 2, static_cast<uint16_t>(s));
    }
    return b;
  }
};

struct RRecordSpec {
  std::string desc;
  uint32_t chan = 0;
  float rate = 0;
  std::array<int32_t, 7> words{};  // PFDF, PFAS, FFSZ, FFDF, IFSZ, SAMP, FCOE
  std::optional<int32_t> size;
  float fhz0 = 0, fhzN = 0;
  std::array<int32_t, 6> rs{};
  std::vector<float> samples;

  std::string Bytes() const {
    std::string b(format::kRHeader.size, '\0');
    PutText(b, 0, 80, desc);
    PutU32(b, 80, chan);
    PutF32(b, 84, rate);
    for (size_t k = 0; k < words.size(); ++k) PutI32(b, 88 + 4 * k, words[k]);
    PutI32(b, 116, size.value_or(static_cast<int32_t>(samples.size())));
    PutF32(b, 120, fhz0);
    PutF32(b, 124, fhzN);
    for (size_t k = 0; k < rs.size(); ++k) PutI32(b, 128 + 4 * k, rs[k]);
    for (float s : samples) {
      b.resize(b.size() + 4);
      PutF32(b, b.size() - 4, s);
    }
    return b;
  }
};

struct IRecordSpec {
  std::string desc;
  uint32_t chan = 0;
  float rate = 0;
  std::optional<uint32_t> size;
  std::array<int32_t, 8> rs{};
  std::vector<int16_t> samples;

  std::string Bytes() const {
    std::string b(format::kIHeader.size, '\0');
    PutText(b, 0, 80, desc);
    PutU32(b, 80, chan);
    PutF32(b, 84, rate);
    PutU32(b, 88, size.value_or(static_cast<uint32_t>(samples.size())));
    for (size_t k = 0; k < rs.size(); ++k) PutI32(b, 92 + 4 * k, rs[k]);
    for (int16_t s : samples) {
      b.resize(b.size() + 2);
      PutU16(b, b.size() - 2, static_cast<uint16_t>(s));
    }
    return b;
  }
};

// A whole pulse file: header, offset table, then the T, R and I records in
// table order, each right behind the one before.
struct PulseFileBuilder {
  FileHeaderSpec header;
  std::vector<TRecordSpec> t;
  std::vector<RRecordSpec> r;
  std::vector<IRecordSpec> i;
  // Counts to write in place of the numbers of records given.
  std::optional<std::array<uint32_t, 3>> counts;

  std::string HeaderBytes() const {
    namespace h = file_header;
    std::string b(format::kFileHeader.size, '\0');
    PutU32(b, h::kMagic, header.magic);
    PutText(b, h::kDesc, 80, header.desc);
    PutI32(b, h::kSubs, header.subs);
    PutText(b, h::kPnam, 80, header.pnam);
    PutText(b, h::kPdes, 80, header.pdes);
    PutI32(b, h::kFmin, header.fmin);
    PutI32(b, h::kFmax, header.fmax);
    PutI32(b, h::kTime, header.time);
    PutU16(b, h::kPid, header.pid);
    PutU16(b, h::kUnus, header.unus);
    PutI32(b, h::kStyp, header.styp);
    PutI32(b, h::kPtyp, header.ptyp);
    std::array<uint32_t, 3> n = counts.value_or(std::array<uint32_t, 3>{
        static_cast<uint32_t>(t.size()), static_cast<uint32_t>(r.size()), static_cast<uint32_t>(i.size())});
    PutU32(b, h::kTcnt, n[0]);
    PutU32(b, h::kRcnt, n[1]);
    PutU32(b, h::kIcnt, n[2]);
    PutF32(b, h::kMxpr, header.mxpr);
    for (size_t k = 0; k < header.rs.size(); ++k) PutI32(b, h::kRs0 + 4 * k, header.rs[k]);
    return b;
  }

  std::string Unsealed() const {
    std::vector<std::string> records;
    for (const auto& rec : t) records.push_back(rec.Bytes());
    for (const auto& rec : r) records.push_back(rec.Bytes());
    for (const auto& rec : i) records.push_back(rec.Bytes());
    std::string b = HeaderBytes();
    size_t tableAt = b.size();
    b.resize(tableAt + format::kOffsetEntrySize * records.size(), '\0');
    for (size_t k = 0; k < records.size(); ++k) {
      PutU32(b, tableAt + 4 * k, static_cast<uint32_t>(b.size()));
      b += records[k];
    }
    return b;
  }

  std::string Sealed() const { return SealedBytes(Unsealed()); }
  void WriteSealed(const std::string& path) const { WriteFile(path, Sealed()); }
};

// A pulse file taken apart through its offset table.
struct ParsedRecord {
  std::string header;   // the record header's bytes
  std::string samples;  // the sample bytes its SIZE calls for
};
struct ParsedPulseFile {
  std::string header;
  std::vector<ParsedRecord> t, r, i;
};

inline std::optional<ParsedPulseFile> ParsePulseFile(const std::string& bytes) {
  if (bytes.size() < format::kFileHeader.size) return std::nullopt;
  ParsedPulseFile parsed;
  parsed.header = bytes.substr(0, format::kFileHeader.size);
  const uint32_t counts[3] = {GetU32(bytes, file_header::kTcnt), GetU32(bytes, file_header::kRcnt),
                              GetU32(bytes, file_header::kIcnt)};
  std::vector<ParsedRecord>* lists[3] = {&parsed.t, &parsed.r, &parsed.i};
  size_t entry = format::kFileHeader.size;
  for (int kind = 0; kind < 3; ++kind) {
    for (uint32_t n = 0; n < counts[kind]; ++n, entry += 4) {
      if (entry + 4 > bytes.size()) return std::nullopt;
      size_t at = GetU32(bytes, entry);
      size_t headerSize = kind == 0 ? format::kTHeader.size : kind == 1 ? format::kRHeader.size : format::kIHeader.size;
      if (at + headerSize > bytes.size()) return std::nullopt;
      ParsedRecord rec{bytes.substr(at, headerSize), {}};
      uint64_t sampleBytes = 0;
      if (kind == 0) sampleBytes = 2 * static_cast<uint64_t>(std::max(GetI32(rec.header, 100), 0));
      if (kind == 1) sampleBytes = 4 * uint64_t{GetU32(rec.header, 116)};
      if (kind == 2) sampleBytes = 2 * uint64_t{GetU32(rec.header, 88)};
      if (at + headerSize + sampleBytes > bytes.size()) return std::nullopt;
      rec.samples = bytes.substr(at + headerSize, sampleBytes);
      lists[kind]->push_back(std::move(rec));
    }
  }
  return parsed;
}

}  // namespace orvane::testing
