#include "fuzz_support.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "format/checksum.h"
#include "orvane/byte_order.h"
#include "orvane/convert.h"
#include "orvane/pulse_file.h"

namespace orvane::fuzz {

namespace {

constexpr rlim_t kFileSizeLimit = rlim_t{16} << 20;

// $ORVANE_FUZZ_ROOT, or a memory file system where there is one: imports
// force their pulse file to the disk, which on a real disk costs more than
// the whole conversion.
fs::path TemporaryRoot() {
  if (const char* root = std::getenv("ORVANE_FUZZ_ROOT")) return root;
  std::error_code ec;
  if (fs::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0) return "/dev/shm";
  return fs::temp_directory_path();
}

fs::path MakeWorkDir() {
  fs::path dir = TemporaryRoot() / ("orvane-fuzz-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  // A write beyond the limit fails with EFBIG instead of raising SIGXFSZ.
  std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit limit = {kFileSizeLimit, kFileSizeLimit};
  ::setrlimit(RLIMIT_FSIZE, &limit);
  std::atexit([] {
    std::error_code ec;
    fs::remove_all(WorkDir(), ec);
  });
  return dir;
}

}  // namespace

const fs::path& WorkDir() {
  // Never destroyed: the exit handler that removes the directory needs it.
  static const fs::path* dir = new fs::path(MakeWorkDir());
  return *dir;
}

void ClearWorkDir() {
  for (const auto& entry : fs::directory_iterator(WorkDir())) fs::remove_all(entry.path());
}

void Check(bool cond, const char* what) {
  if (cond) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteAll(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool HasTemporaryFiles(const fs::path& dir) {
  for (const auto& entry : fs::directory_iterator(dir))
    if (entry.path().filename().string().rfind(".orvane-", 0) == 0) return true;
  return false;
}

std::string Sealed(std::string bytes) {
  if (bytes.size() % 2 == 1) bytes.push_back('\0');
  uint16_t sum = WordSum(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  uint8_t word[2];
  StoreU16(word, static_cast<uint16_t>(0u - sum));
  bytes.append(reinterpret_cast<const char*>(word), 2);
  return bytes;
}

bool IsSealedPulseFile(const std::string& bytes) {
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  return bytes.size() >= sizeof format::kMagic && LoadU32(data) == format::kMagic &&
         WordSum(data, bytes.size()) == 0;
}

std::string SmallTRecordFile(const std::vector<float>& gains) {
  PulseFileHeader header;
  header.SetMagic(format::kMagic);
  header.SetCounts(static_cast<uint32_t>(gains.size()), 0, 0);
  std::string file(reinterpret_cast<const char*>(header.bytes.data()), header.bytes.size());
  file.append(4 * gains.size(), '\0');
  for (size_t n = 0; n < gains.size(); ++n) {
    StoreU32(reinterpret_cast<uint8_t*>(file.data()) + format::EntryPosition(n),
             static_cast<uint32_t>(file.size()));
    TRecordHeader record;
    record.SetGain(gains[n]);
    StoreU32(record.bytes.data() + 100, 3);  // SIZE: three samples and a pad word
    file.append(reinterpret_cast<const char*>(record.bytes.data()), record.bytes.size());
    file.append("\x01\x00\x02\x00\xff\xff\x00\x00", 8);
  }
  return Sealed(file);
}

std::string SmallMixedFile() {
  PulseFileHeader header;
  header.SetMagic(format::kMagic);
  header.SetCounts(1, 1, 1);
  std::memcpy(header.bytes.data() + format::kFileHeader.Offset("DESC"), "mixed", 5);
  std::string file(reinterpret_cast<const char*>(header.bytes.data()), header.bytes.size());
  file.append(4 * 3, '\0');
  auto bytes = [&file] { return reinterpret_cast<uint8_t*>(file.data()); };
  const size_t sizes[] = {format::kTHeader.size, format::kRHeader.size, format::kIHeader.size};
  const uint16_t sizeAt[] = {format::kTHeader.Offset("SIZE"), format::kRHeader.Offset("SIZE"),
                             format::kIHeader.Offset("SIZE")};
  const std::string samples[] = {std::string("\x01\x00\xfe\xff\x00\x80\x00\x00", 8),
                                 std::string("\x00\x00\xc0\x3f\x00\x00\x80\xbf", 8),
                                 std::string("\x07\x00\xff\x7f\x00\x00\x00\x00", 8)};
  const uint32_t counts[] = {3, 2, 2};
  for (size_t k = 0; k < 3; ++k) {
    StoreU32(bytes() + format::EntryPosition(k), static_cast<uint32_t>(file.size()));
    std::string record(sizes[k], '\0');
    record.replace(0, 4, "rec" + std::to_string(k));
    StoreU32(reinterpret_cast<uint8_t*>(record.data()) + sizeAt[k], counts[k]);
    StoreF32(reinterpret_cast<uint8_t*>(record.data()) + 84, 1000.0f);  // RATE
    file += record;
    file += samples[k];
  }
  return Sealed(file);
}

std::vector<std::pair<std::string, std::string>> FilesOf(const fs::path& dir) {
  std::vector<std::pair<std::string, std::string>> files;
  for (const auto& entry : fs::directory_iterator(dir))
    if (entry.is_regular_file()) files.emplace_back(entry.path().filename().string(), ReadAll(entry.path()));
  std::sort(files.begin(), files.end());
  return files;
}

MemoryFileSystem& Memory() {
  static MemoryFileSystem* memory = [] {
    auto* fs = new MemoryFileSystem;
    fs->MakeFolder(kMemoryDir);
    io::UseFileSystem(fs);
    return fs;
  }();
  return *memory;
}

void CheckNoTemporaryFiles(const MemoryFileSystem& memory) {
  for (const auto& [path, bytes] : memory.Files())
    Check(path.find("/.orvane-") == std::string::npos, "a temporary file was left behind");
}

void ClearMemory() {
  MemoryFileSystem& memory = Memory();
  Check(memory.OpenDescriptors() == 0, "a file was left open");
  Check(memory.HeldTemporaries() == 0, "a temporary file was left held");
  memory.RemoveAllFiles();
}

unsigned RecordThreads() {
  static const unsigned threads = [] {
    const char* text = std::getenv("ORVANE_FUZZ_THREADS");
    const int n = text ? std::atoi(text) : 1;
    return n > 0 ? static_cast<unsigned>(n) : 1u;
  }();
  return threads;
}

bool RunConversion(const std::string& base, bool toText, bool labelled, unsigned threads, bool exact) {
  QuietReporter reporter;
  ConversionRequest request;
  request.exact = exact;
  request.fileName = base + (toText ? ".spf" : ".pfh");
  request.direction = toText ? Direction::ToText : Direction::FromText;
  request.labelled = labelled;
  request.threads = threads;
  const Outcome outcome = Convert(request, reporter);
  const bool complete = reporter.last == MessageFormat(Failure::None);
  Check(complete == outcome.ok(), "the last status disagrees with the run's outcome");
  Check(Memory().OpenDescriptors() == 0, "a conversion left a file open");
  Check(Memory().HeldTemporaries() == 0, "a conversion left a temporary file held");
  CheckNoTemporaryFiles(Memory());
  return complete;
}

namespace {

class ByteSource : public StructureSource {
 public:
  explicit ByteSource(const std::string& bytes) : bytes_(bytes) {}
  bool ReadAt(uint64_t position, uint8_t* out, size_t n) override {
    if (position > bytes_.size() || n > bytes_.size() - position) return false;
    std::memcpy(out, bytes_.data() + position, n);
    return true;
  }

 private:
  const std::string& bytes_;
};

}  // namespace

bool HasManyRecords(const std::string& pulseFile, uint64_t most) {
  if (pulseFile.size() < format::kFileHeader.size) return false;
  PulseFileHeader header;
  std::memcpy(header.bytes.data(), pulseFile.data(), format::kFileHeader.size);
  return header.EntryCount() > most && header.TableEnd() <= pulseFile.size();
}

StructureReport StructureOf(const std::string& bytes, bool stopAtFirst) {
  ByteSource source(bytes);
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  const std::span<const uint8_t> front(data, std::min<size_t>(bytes.size(), format::kFileHeader.size));
  return CheckStructure(front, bytes.size(), WordSum(data, bytes.size()), source, stopAtFirst);
}

std::vector<std::pair<char, std::string>> SamplesOf(const std::string& bytes) {
  const StructureReport report = StructureOf(bytes, true);
  Check(report.problems.empty(), "the samples of an invalid pulse file were asked for");
  std::vector<std::pair<char, std::string>> samples;
  for (const RecordExtent& record : report.records) {
    const RecordDescription& info = DescribeRecord(record.type);
    samples.emplace_back(info.letter, bytes.substr(uint64_t{record.offset} + info.header.size,
                                                   record.availableSamples * info.sampleBytes));
  }
  return samples;
}

}  // namespace orvane::fuzz
