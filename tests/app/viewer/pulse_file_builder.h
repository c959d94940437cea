// Pulse files of chosen records for the viewer tests: T, R and I records of
// given samples, laid out after the offset table and sealed to a zero word
// sum, so that they open as valid files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "orvane/byte_order.h"
#include "orvane/format.h"
#include "test_support.h"

namespace orvane::testing {

class PulseFileBuilder {
 public:
  PulseFileBuilder& T(const std::vector<int16_t>& samples, float gain = 0.5f, const std::string& desc = "t") {
    std::string r(format::kTHeader.size, '\0');
    Header(r, desc, format::kTHeader.Offset("RATE"));
    StoreF32(Bytes(r) + format::kTHeader.Offset("GAIN"), gain);
    StoreU32(Bytes(r) + format::kTHeader.Offset("SIZE"), static_cast<uint32_t>(samples.size()));
    for (int16_t v : samples) Append16(r, static_cast<uint16_t>(v));
    if (samples.size() % 2) Append16(r, 0);
    t_.push_back(r);
    return *this;
  }
  PulseFileBuilder& R(const std::vector<float>& samples, const std::string& desc = "r") {
    std::string r(format::kRHeader.size, '\0');
    Header(r, desc, format::kRHeader.Offset("RATE"));
    StoreU32(Bytes(r) + format::kRHeader.Offset("SIZE"), static_cast<uint32_t>(samples.size()));
    for (float v : samples) {
      uint8_t word[4];
      StoreF32(word, v);
      r.append(reinterpret_cast<const char*>(word), 4);
    }
    r_.push_back(r);
    return *this;
  }
  PulseFileBuilder& I(const std::vector<int16_t>& samples, const std::string& desc = "i") {
    std::string r(format::kIHeader.size, '\0');
    Header(r, desc, format::kIHeader.Offset("RATE"));
    StoreU32(Bytes(r) + format::kIHeader.Offset("SIZE"), static_cast<uint32_t>(samples.size()));
    for (int16_t v : samples) Append16(r, static_cast<uint16_t>(v));
    if (samples.size() % 2) Append16(r, 0);
    i_.push_back(r);
    return *this;
  }

  // The whole file, sealed.
  std::string Build() const {
    const size_t entries = t_.size() + r_.size() + i_.size();
    std::string file(format::kFileHeader.size + format::kOffsetEntrySize * entries, '\0');
    StoreU32(Bytes(file) + format::kFileHeader.Offset("MAGC"), format::kMagic);
    StoreU32(Bytes(file) + format::kFileHeader.Offset("TCNT"), static_cast<uint32_t>(t_.size()));
    StoreU32(Bytes(file) + format::kFileHeader.Offset("RCNT"), static_cast<uint32_t>(r_.size()));
    StoreU32(Bytes(file) + format::kFileHeader.Offset("ICNT"), static_cast<uint32_t>(i_.size()));
    size_t entry = 0;
    for (const auto* kind : {&t_, &r_, &i_})
      for (const std::string& record : *kind) {
        StoreU32(Bytes(file) + format::EntryPosition(entry++), static_cast<uint32_t>(file.size()));
        file += record;
      }
    return SealedBytes(file);
  }
  void WriteTo(const std::string& path) const { WriteFile(path, Build()); }

 private:
  static uint8_t* Bytes(std::string& s) { return reinterpret_cast<uint8_t*>(s.data()); }
  static void Append16(std::string& s, uint16_t v) {
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>(v >> 8));
  }
  static void Header(std::string& r, const std::string& desc, uint16_t rate) {
    r.replace(0, std::min<size_t>(desc.size(), 79), desc.substr(0, 79));
    StoreF32(Bytes(r) + rate, 1000.0f);
  }
  std::vector<std::string> t_, r_, i_;
};

}  // namespace orvane::testing
