#include "test_support.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "format/checksum.h"
#include "orvane/pulse_file.h"

namespace orvane::testing {

std::string TraceRecorder::Joined() const {
  std::string out;
  for (const auto& line : lines) out += line + "\n";
  return out;
}

namespace {
std::vector<std::string> LinesStartingWith(const TraceRecorder& trace, const std::string& prefix) {
  std::vector<std::string> out;
  for (const auto& line : trace.lines)
    if (line.rfind(prefix, 0) == 0) out.push_back(line.substr(prefix.size()));
  return out;
}
}  // namespace

std::vector<std::string> Statuses(const TraceRecorder& trace) { return LinesStartingWith(trace, "status: "); }

std::vector<int> ProgressPositions(const TraceRecorder& trace) {
  std::vector<int> out;
  for (const auto& p : LinesStartingWith(trace, "progress: ")) out.push_back(std::stoi(p));
  return out;
}

std::string FirstStatus(const TraceRecorder& trace) {
  auto all = Statuses(trace);
  return all.empty() ? std::string() : all.front();
}

std::string LastStatus(const TraceRecorder& trace) {
  auto all = Statuses(trace);
  return all.empty() ? std::string() : all.back();
}

void RecordedConverter::Convert(const std::string& name, bool toAscii, bool labelled) {
  ConversionRequest request;
  request.fileName = name;
  request.direction = toAscii ? Direction::ToText : Direction::FromText;
  request.labelled = labelled;
  request.threads = threads;
  request.keepPartial = keepPartial;
  outcome = orvane::Convert(request, trace);
}

std::optional<std::string> RecordedConverter::GetPulsePower(const std::string& name) {
  PowerReading reading = orvane::GetPulsePower(name, trace);
  outcome = reading.outcome;
  return reading.text;
}

void RecordedConverter::SetPulsePower(const std::string& name, const std::string& text) {
  outcome = orvane::SetPulsePower(name, text, trace);
}

void RecordedConverter::SealPulseFile(const std::string& baseName) {
  outcome = orvane::SealPulseFile(baseName, trace);
}

ScratchDir::ScratchDir() {
  static std::atomic<int> counter{0};
  path_ = fs::temp_directory_path() /
          ("orvane-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
  fs::remove_all(path_);
  fs::create_directories(path_);
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

std::vector<std::string> ScratchDir::Files() const {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(path_)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFile(const std::string& path, const std::string& contents) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << contents;
}

fs::path GoldenDir() {
  const char* env = std::getenv("ORVANE_GOLDEN_DIR");
  return env ? fs::path(env) : fs::path(ORVANE_GOLDEN_DIR);
}

std::vector<std::string> GoldenCaseNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(GoldenDir()))
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string SealedBytes(std::string bytes) {
  if (bytes.size() % 2 == 1) bytes.push_back('\0');
  uint16_t sum = WordSum(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  uint16_t word = static_cast<uint16_t>(0u - sum);
  bytes.push_back(static_cast<char>(word & 0xFF));
  bytes.push_back(static_cast<char>(word >> 8));
  return bytes;
}

DirSnapshot SnapshotDir(const fs::path& dir) {
  DirSnapshot snapshot;
  for (const auto& entry : fs::directory_iterator(dir))
    if (entry.is_regular_file()) snapshot[entry.path().filename().string()] = ReadFile(entry.path().string());
  return snapshot;
}

DirSnapshot GoldenTexts(const fs::path& layoutDir) {
  DirSnapshot texts;
  for (const auto& [name, bytes] : SnapshotDir(layoutDir))
    if (name.rfind("data.", 0) == 0 && name != "data.spf") texts[name] = bytes;
  return texts;
}

void WriteSnapshot(const fs::path& dir, const DirSnapshot& snapshot) {
  for (const auto& [name, bytes] : snapshot) WriteFile((dir / name).string(), bytes);
}

std::vector<std::string> TemporaryFilesIn(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    std::string name = entry.path().filename().string();
    if (name.rfind(".orvane-", 0) == 0) names.push_back(name);
  }
  return names;
}

}  // namespace orvane::testing
