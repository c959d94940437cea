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

#include "orvane/byte_order.h"
#include "checksum.h"
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

std::vector<std::pair<std::string, std::string>> FilesOf(const fs::path& dir) {
  std::vector<std::pair<std::string, std::string>> files;
  for (const auto& entry : fs::directory_iterator(dir))
    if (entry.is_regular_file()) files.emplace_back(entry.path().filename().string(), ReadAll(entry.path()));
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace orvane::fuzz
