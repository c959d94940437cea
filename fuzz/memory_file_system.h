// A file system held in memory, for the fuzz targets: the whole engine runs
// on it through the same file layer code as on disk, without a system call
// per read or write. Folders are made explicitly; there are no links and no
// permission checks beyond the mode bits the file layer reads itself. Files
// are limited in size (a write beyond the limit fails with EFBIG), so that
// an input that asks for a huge file fails there. Safe for several threads.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "io/file_system.h"
#include "sparse_bytes.h"

namespace orvane::fuzz {

class MemoryFileSystem final : public io::FileSystem {
 public:
  explicit MemoryFileSystem(size_t fileSizeLimit = size_t{16} << 20) : limit_(fileSizeLimit) {}

  // Setting up and looking at the files from outside the file layer.
  void MakeFolder(const std::string& path);
  void Put(const std::string& path, const std::string& bytes, unsigned mode = 0644);
  std::optional<std::string> Get(const std::string& path) const;
  bool Exists(const std::string& path) const;
  void Remove(const std::string& path);
  // Every file with its contents, sorted by path.
  std::vector<std::pair<std::string, std::string>> Files() const;
  // Removes every file (folders stay); open descriptors keep their data.
  void RemoveAllFiles();
  size_t OpenDescriptors() const;
  size_t HeldTemporaries() const;

  int Open(const std::string& path, int flags) override;
  int SetBlocking(int fd) override;
  int Fstat(int fd, struct stat* st) override;
  int Stat(const std::string& path, struct stat* st) override;
  int Lstat(const std::string& path, struct stat* st) override { return Stat(path, st); }
  std::string RealPath(const std::string& path) override;
  ssize_t PRead(int fd, void* data, size_t n, uint64_t offset) override;
  ssize_t PWrite(int fd, const void* data, size_t n, uint64_t offset) override;
  int Fsync(int fd) override;
  int Fchmod(int fd, unsigned mode) override;
  int Close(int fd) override;
  int Rename(const std::string& from, const std::string& to) override;
  int Unlink(const std::string& path) override;
  int CreateTemporary(std::string& pattern) override;
  void ReleaseTemporary(const std::string& path) override;
  // Small buffers: a call costs no more than a copy here, and a large
  // buffer costs the sanitizer a mapping of its own for every file.
  size_t BufferSize() const override { return size_t{1} << 16; }

 private:
  struct Node {
    SparseBytes bytes;
    unsigned mode = 0644;
  };
  struct Handle {
    std::shared_ptr<Node> node;
    bool writable = false;
  };

  bool HasFolderOf(const std::string& path) const;
  Handle* HandleOf(int fd);
  int NewDescriptor(std::shared_ptr<Node> node, bool writable);

  const size_t limit_;
  mutable std::mutex mutex_;
  // Hashed: under the sanitizers every comparison of a path in a tree costs
  // an intercepted memcmp.
  std::unordered_map<std::string, std::shared_ptr<Node>> files_;
  std::unordered_set<std::string> folders_{"/"};
  std::unordered_map<int, Handle> handles_;
  std::unordered_set<std::string> held_;
  int nextFd_ = 1 << 20;  // far from the process's real descriptors
  uint64_t nextTemporary_ = 0;
};

}  // namespace orvane::fuzz
