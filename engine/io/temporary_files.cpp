#include "io/temporary_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>
#include <mutex>
#include <random>
#include <set>
#include <thread>

namespace orvane::temporary {

namespace {

// Enough for every file a run keeps open at once, times the files a batch
// converts side by side. The pages of unused slots are never touched: the
// table is all zeros until used (no constructor writes it), so that it
// costs neither memory nor start-up time.
constexpr int kSlots = 4096;

enum SlotState : int { kFree = 0, kFilling = 1, kHeld = 2 };

struct Entry {
  std::atomic<int> state{kFree};
  int lockFd = 0;  // a second descriptor of the file, the lock outliving its close; set while held
  char path[PATH_MAX] = {};
};

Entry gTable[kSlots];
std::atomic<int> gOpenSections{0};
std::atomic<bool> gInterrupted{false};
thread_local int tSectionDepth = 0;

bool SameFile(const std::string& path, int fd) {
  struct stat byName, byFd;
  return ::stat(path.c_str(), &byName) == 0 && ::fstat(fd, &byFd) == 0 && byName.st_dev == byFd.st_dev &&
         byName.st_ino == byFd.st_ino;
}

// Whether the file open as fd still has a name. A sweep only ever removes
// a temporary file (it never renames one), and the name of a new temporary
// file is taken by no one else while it exists: a file that still has a
// link is still the one at the name it was created under.
bool StillNamed(int fd) {
  struct stat st;
  return ::fstat(fd, &st) == 0 && st.st_nlink > 0;
}

// Six characters of mkostemp's alphabet from a generator of each thread's
// own (splitmix64), seeded once from the system. Its state is one word: the
// Python extension has little room for thread-local data.
void FillRandomPart(std::string& name) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local uint64_t state = 0;
  while (state == 0) state = (uint64_t{std::random_device{}()} << 32) ^ std::random_device{}();
  uint64_t bits = (state += 0x9E3779B97F4A7C15u);
  bits = (bits ^ (bits >> 30)) * 0xBF58476D1CE4E5B9u;
  bits = (bits ^ (bits >> 27)) * 0x94D049BB133111EBu;
  bits ^= bits >> 31;
  for (size_t i = name.size() - 6; i < name.size(); ++i, bits /= 62) name[i] = kLetters[bits % 62];
}

bool LockWithRetry(int fd, int how) {
  while (::flock(fd, how) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

}  // namespace

bool Hold(const std::string& path, int fd) {
  // A sweep may have taken the file away between its creation and this
  // lock: then it has no name any more.
  if (!LockWithRetry(fd, LOCK_EX) || !StillNamed(fd)) return false;
  if (path.size() >= PATH_MAX) return true;
  for (Entry& entry : gTable) {
    int expected = kFree;
    if (!entry.state.compare_exchange_strong(expected, kFilling)) continue;
    std::memcpy(entry.path, path.c_str(), path.size() + 1);
    entry.lockFd = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    entry.state = kHeld;
    return true;
  }
  return true;
}

int CreateHeld(std::string& pattern, unsigned mode) {
  if (pattern.size() < 6 || pattern.compare(pattern.size() - 6, 6, "XXXXXX") != 0) {
    errno = EINVAL;
    return -1;
  }
  const size_t slash = pattern.rfind('/');
  SweepStaleFiles(slash == std::string::npos ? "." : slash == 0 ? "/" : pattern.substr(0, slash));
  // No file is created once an interruption has begun, so that every one
  // created is in the table when the interruption empties it.
  CriticalSection section;
  // Created with its final permission bits where the umask allows them, so
  // that a new file needs no mode change afterwards (mkostemp gives 0600).
  for (int attempt = 0, lost = 0; attempt < 100 && lost < 8; ++attempt) {
    FillRandomPart(pattern);
    int fd = ::open(pattern.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, static_cast<mode_t>(mode & 0777));
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0 || Hold(pattern, fd)) return fd;
    ::close(fd);
    ++lost;
  }
  errno = EEXIST;
  return -1;
}

void Release(const std::string& path) {
  for (Entry& entry : gTable) {
    if (entry.state.load() != kHeld || path != entry.path) continue;
    int expected = kHeld;
    if (!entry.state.compare_exchange_strong(expected, kFilling)) continue;
    if (entry.lockFd >= 0) ::close(entry.lockFd);
    entry.lockFd = -1;
    entry.state = kFree;
    return;
  }
}

void RemoveAll() {
  for (Entry& entry : gTable) {
    if (entry.state.load() == kHeld) ::unlink(entry.path);
  }
}

void EnterCritical() {
  if (tSectionDepth++ > 0) return;
  ++gOpenSections;
  // Either this section is counted before the interruption looks, or it
  // sees the interruption and never starts.
  if (gInterrupted.load()) {
    --gOpenSections;
    for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
  }
}

void LeaveCritical() {
  if (--tSectionDepth > 0) return;
  --gOpenSections;
}

void BeginInterruption() {
  gInterrupted = true;
  while (gOpenSections.load() != 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

namespace {

// mkostemp's six characters.
bool EndsInRandomPart(const std::string& name) {
  constexpr size_t kRandom = 6;
  if (name.size() < kRandom) return false;
  for (size_t i = name.size() - kRandom; i < name.size(); ++i)
    if (std::isalnum(static_cast<unsigned char>(name[i])) == 0) return false;
  return true;
}

}  // namespace

bool LooksTemporary(const std::string& name) {
  // The file layer names its temporary files ".orvane-" and six random
  // characters; earlier versions wrote ".orvane-NAME-" and six. Nothing
  // else is taken for one: a user's ".orvane-notes" is never swept.
  static constexpr char kPrefix[] = ".orvane-";
  constexpr size_t kPrefixLength = sizeof kPrefix - 1;
  if (name.compare(0, kPrefixLength, kPrefix) != 0 || !EndsInRandomPart(name)) return false;
  if (name.size() == kPrefixLength + 6) return true;
  return name.size() > kPrefixLength + 7 && name[name.size() - 7] == '-';
}

namespace {

void RemoveIfUnheld(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return;
  struct stat st;
  // A writer holds its file locked from its creation to its rename: a file
  // that can be locked now belongs to no live run.
  // Only files of this user: another user's run is not ours to judge.
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
      ::flock(fd, LOCK_EX | LOCK_NB) == 0 && SameFile(path, fd))
    ::unlink(path.c_str());
  ::close(fd);
}

}  // namespace

void SweepStaleFiles(const std::string& folder) {
  static std::mutex mutex;
  static std::set<std::string> swept;
  {
    std::lock_guard lock(mutex);
    if (!swept.insert(folder).second) return;
  }
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return;
  while (const dirent* item = ::readdir(dir)) {
    const std::string name = item->d_name;
    if (LooksTemporary(name)) RemoveIfUnheld(folder + "/" + name);
  }
  ::closedir(dir);
}

}  // namespace orvane::temporary
