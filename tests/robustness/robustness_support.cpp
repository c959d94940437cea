#include "robustness_support.h"

#include <algorithm>
#include <cstring>

#include "orvane/byte_order.h"
#include "orvane/pulse_file.h"

namespace orvane::testing {

DirSnapshot SnapshotDir(const fs::path& dir) {
  DirSnapshot snapshot;
  for (const auto& entry : fs::directory_iterator(dir))
    if (entry.is_regular_file()) snapshot[entry.path().filename().string()] = ReadFile(entry.path().string());
  return snapshot;
}

std::vector<std::string> TemporaryFilesIn(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    std::string name = entry.path().filename().string();
    if (name.rfind(".orvane-", 0) == 0) names.push_back(name);
  }
  return names;
}

DirSnapshot GoldenTexts(const fs::path& layoutDir) {
  DirSnapshot texts;
  for (const auto& [name, bytes] : SnapshotDir(layoutDir))
    if (name.rfind("data.", 0) == 0 && name != "data.spf") texts[name] = bytes;
  return texts;
}

std::vector<std::string> GoldenCaseNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(GoldenDir()))
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

void WriteSnapshot(const fs::path& dir, const DirSnapshot& snapshot) {
  for (const auto& [name, bytes] : snapshot) WriteFile((dir / name).string(), bytes);
}

std::string OldVersionOf(const std::string& name) { return "previous contents of " + name + "\n"; }

std::string DescribeFault(uint64_t k) {
  static const char* const kNames[] = {"open", "read", "write", "seek", "flush", "close", "rename", "remove"};
  std::string text = "k=" + std::to_string(k);
  if (auto fault = io::FaultSeam::FiredFault()) {
    text += std::string(" ") + kNames[static_cast<int>(fault->call)] + " on " + fault->path;
    if (fault->onlyRead) text += " (only read)";
  }
  return text;
}

std::string LastStatus(const TraceRecorder& trace) {
  for (auto it = trace.lines.rbegin(); it != trace.lines.rend(); ++it)
    if (it->rfind("status: ", 0) == 0) return it->substr(8);
  return "";
}

namespace {

// A small deterministic generator, so that a failing case can be replayed.
struct Lcg {
  uint32_t state;
  uint32_t Next() {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  }
};

void AppendRecord(std::string& file, size_t headerSize, const char* desc, size_t sizeOffset, uint32_t size,
                  const std::string& samples) {
  std::string header(headerSize, '\0');
  std::memcpy(header.data(), desc, std::strlen(desc));
  StoreF32(reinterpret_cast<uint8_t*>(header.data()) + 84, 1.0f);  // RATE
  StoreU32(reinterpret_cast<uint8_t*>(header.data()) + sizeOffset, size);
  file += header;
  file += samples;
}

std::string WordSamples(uint32_t count, Lcg& random) {
  std::string bytes;
  bytes.reserve(2 * (count + 1));
  for (uint32_t i = 0; i < count; ++i) {
    uint16_t word = static_cast<uint16_t>(random.Next());
    bytes.push_back(static_cast<char>(word & 0xFF));
    bytes.push_back(static_cast<char>(word >> 8));
  }
  if (count % 2 == 1) bytes.append(2, '\0');
  return bytes;
}

}  // namespace

std::string GeneratedPulseFile(uint32_t tCount, uint32_t tSamples, uint32_t seed) {
  Lcg random{seed};
  const uint32_t records = tCount + 2;
  PulseFileHeader header;
  header.SetMagic(format::kMagic);
  std::memcpy(header.bytes.data() + 4, "generated pulse file", 20);
  header.SetCounts(tCount, 1, 1);
  std::string file(reinterpret_cast<const char*>(header.bytes.data()), header.bytes.size());
  file.append(4 * records, '\0');
  auto enterOffset = [&file](uint32_t entry) {
    StoreU32(reinterpret_cast<uint8_t*>(file.data()) + format::EntryPosition(entry),
             static_cast<uint32_t>(file.size()));
  };
  for (uint32_t n = 0; n < tCount; ++n) {
    enterOffset(n);
    AppendRecord(file, format::kTHeader.size, "T record", 100, tSamples, WordSamples(tSamples, random));
  }
  enterOffset(tCount);
  std::string reals;
  for (int k = 0; k < 6; ++k) {
    uint8_t bytes[4];
    StoreF32(bytes, 1.25f * static_cast<float>(k) - 2.0f);
    reals.append(reinterpret_cast<const char*>(bytes), 4);
  }
  AppendRecord(file, format::kRHeader.size, "R record", 116, 6, reals);
  enterOffset(tCount + 1);
  AppendRecord(file, format::kIHeader.size, "I record", 88, 5, WordSamples(5, random));
  return SealedBytes(file);
}

uint64_t GainPosition(const std::string& pulseFile, uint32_t n) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(pulseFile.data());
  return LoadU32(bytes + format::EntryPosition(n)) + 92;
}

}  // namespace orvane::testing
