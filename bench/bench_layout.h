// Layout of the pulse file as the naive conversion needs it. That tool is
// the benchmark's reference, a plain stdio conversion built apart from the
// engine on purpose, so it carries its own copy of the few offsets and
// sizes it touches. Every number is little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace bench {

constexpr uint32_t kMagic = 0x35799753;
constexpr size_t kFileHeaderBytes = 316;
constexpr size_t kEntryBytes = 4;
constexpr size_t kTCountOffset = 272;  // then RCNT at 276 and ICNT at 280

constexpr size_t kTHeaderBytes = 136;
constexpr size_t kRHeaderBytes = 152;
constexpr size_t kIHeaderBytes = 124;
constexpr size_t kTSizeOffset = 100;
constexpr size_t kRSizeOffset = 116;
constexpr size_t kISizeOffset = 88;
constexpr size_t kTGainOffset = 92;
constexpr size_t kTextFieldBytes = 80;

inline uint32_t LoadU32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
inline void StoreU32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}
inline float LoadF32(const uint8_t* p) {
  uint32_t bits = LoadU32(p);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}
inline void StoreF32(uint8_t* p, float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  StoreU32(p, bits);
}

}  // namespace bench
