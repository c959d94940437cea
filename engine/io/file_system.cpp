// The POSIX file system behind the file layer, and the process-wide switch.
#include "io/file_system.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "io/temporary_files.h"

namespace orvane::io {

namespace {

class Posix final : public FileSystem {
 public:
  int Open(const std::string& path, int flags) override { return ::open(path.c_str(), flags); }
  int SetBlocking(int fd) override { return ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK); }
  int Fstat(int fd, struct stat* st) override { return ::fstat(fd, st); }
  int Stat(const std::string& path, struct stat* st) override { return ::stat(path.c_str(), st); }
  int Lstat(const std::string& path, struct stat* st) override { return ::lstat(path.c_str(), st); }
  std::string RealPath(const std::string& path) override {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return {};
    std::string result = resolved;
    std::free(resolved);
    return result;
  }
  ssize_t PRead(int fd, void* data, size_t n, uint64_t offset) override {
    return ::pread(fd, data, n, static_cast<off_t>(offset));
  }
  ssize_t PWrite(int fd, const void* data, size_t n, uint64_t offset) override {
    return ::pwrite(fd, data, n, static_cast<off_t>(offset));
  }
  int Fsync(int fd) override { return ::fsync(fd); }
  int Flock(int fd, int operation) override { return ::flock(fd, operation); }
  std::string ReadLink(const std::string& path) override {
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer);
    return n > 0 && static_cast<size_t>(n) < sizeof buffer ? std::string(buffer, static_cast<size_t>(n)) : "";
  }
  int Fchown(int fd, unsigned owner, unsigned group) override {
    return ::fchown(fd, static_cast<uid_t>(owner), static_cast<gid_t>(group));
  }
  int Fchmod(int fd, unsigned mode) override { return ::fchmod(fd, static_cast<mode_t>(mode)); }
  int Close(int fd) override { return ::close(fd); }
  int Rename(const std::string& from, const std::string& to) override {
    return ::rename(from.c_str(), to.c_str());
  }
  int Unlink(const std::string& path) override { return ::unlink(path.c_str()); }
  // Held locked and listed for removal on an interruption until it is
  // renamed or removed.
  int CreateTemporary(std::string& pattern) override { return temporary::CreateHeld(pattern, 0600); }
  int CreateTemporaryWithMode(std::string& pattern, unsigned mode) override {
    return temporary::CreateHeld(pattern, mode);
  }
  void ReleaseTemporary(const std::string& path) override { temporary::Release(path); }
};

std::atomic<FileSystem*> gCurrent{nullptr};

}  // namespace

FileSystem& PosixFileSystem() {
  static Posix posix;
  return posix;
}

FileSystem& CurrentFileSystem() {
  FileSystem* fs = gCurrent.load(std::memory_order_acquire);
  return fs != nullptr ? *fs : PosixFileSystem();
}

void UseFileSystem(FileSystem* fs) { gCurrent.store(fs, std::memory_order_release); }

}  // namespace orvane::io
