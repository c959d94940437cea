// The system calls the file layer makes, behind one interface, so that a
// test or fuzz target can run the whole engine on files held in memory. The
// default is the POSIX file system; UseFileSystem swaps it process-wide.
// Every call behaves as its POSIX namesake: -1 (or a negative count) with
// errno set on failure. Descriptors belong to the file system that made
// them, so a swap is made only while the file layer has no file open.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace orvane::io {

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // open(2) of an existing file; flags as for open (O_RDONLY or O_RDWR and
  // modifiers), nothing is created.
  virtual int Open(const std::string& path, int flags) = 0;
  // Clears O_NONBLOCK once the file is known to be a regular file.
  virtual int SetBlocking(int fd) = 0;
  virtual int Fstat(int fd, struct stat* st) = 0;
  virtual int Stat(const std::string& path, struct stat* st) = 0;
  virtual int Lstat(const std::string& path, struct stat* st) = 0;
  // The path with every symbolic link resolved; empty on failure.
  virtual std::string RealPath(const std::string& path) = 0;
  virtual ssize_t PRead(int fd, void* data, size_t n, uint64_t offset) = 0;
  virtual ssize_t PWrite(int fd, const void* data, size_t n, uint64_t offset) = 0;
  virtual int Fsync(int fd) = 0;
  virtual int Fchmod(int fd, unsigned mode) = 0;
  virtual int Close(int fd) = 0;
  // readlink(2): what a symbolic link names; empty when path is none.
  virtual std::string ReadLink(const std::string& path) {
    (void)path;
    return "";
  }
  // fchown(2); a file system without owners grants it.
  virtual int Fchown(int fd, unsigned owner, unsigned group) {
    (void)fd;
    (void)owner;
    (void)group;
    return 0;
  }
  // flock(2); a file system of one process has no one to share with, so
  // by default every lock is granted at once.
  virtual int Flock(int fd, int operation) {
    (void)fd;
    (void)operation;
    return 0;
  }
  virtual int Rename(const std::string& from, const std::string& to) = 0;
  virtual int Unlink(const std::string& path) = 0;
  // Creates a new file from pattern, which ends in "XXXXXX" (replaced by
  // the name the file got), and holds it as a temporary file of this
  // process until ReleaseTemporary.
  virtual int CreateTemporary(std::string& pattern) = 0;
  // CreateTemporary giving the new file the permission bits mode, or fewer
  // where the process's umask takes some off, as open(2) gives a new file.
  // By default CreateTemporary, then Fchmod.
  virtual int CreateTemporaryWithMode(std::string& pattern, unsigned mode) {
    const int fd = CreateTemporary(pattern);
    if (fd >= 0) Fchmod(fd, mode);
    return fd;
  }
  virtual void ReleaseTemporary(const std::string& path) = 0;
  // Bytes the file layer buffers of each file: a mebibyte keeps the system
  // calls on a disk few.
  virtual size_t BufferSize() const { return size_t{1} << 20; }
};

// The file system the file layer uses now.
FileSystem& CurrentFileSystem();
// Makes fs the file system of the whole process; null: the POSIX one again.
// fs must outlive its use.
void UseFileSystem(FileSystem* fs);
FileSystem& PosixFileSystem();

}  // namespace orvane::io
