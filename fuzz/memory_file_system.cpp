#include "memory_file_system.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace orvane::fuzz {

namespace {

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

int Fail(int error) {
  errno = error;
  return -1;
}

void FillStatus(struct stat* st, mode_t type, unsigned mode, uint64_t size) {
  std::memset(st, 0, sizeof *st);
  st->st_mode = type | static_cast<mode_t>(mode & 07777);
  st->st_size = static_cast<off_t>(size);
  st->st_nlink = 1;
}

}  // namespace

void MemoryFileSystem::MakeFolder(const std::string& path) {
  std::lock_guard lock(mutex_);
  folders_.insert(path);
}

void MemoryFileSystem::Put(const std::string& path, const std::string& bytes, unsigned mode) {
  auto node = std::make_shared<Node>();
  node->bytes = SparseBytes(bytes);
  node->mode = mode;
  std::lock_guard lock(mutex_);
  files_[path] = std::move(node);
}

std::optional<std::string> MemoryFileSystem::Get(const std::string& path) const {
  std::lock_guard lock(mutex_);
  auto it = files_.find(path);
  if (it == files_.end()) return std::nullopt;
  return it->second->bytes.Bytes();
}

bool MemoryFileSystem::Exists(const std::string& path) const {
  std::lock_guard lock(mutex_);
  return files_.count(path) != 0 || folders_.count(path) != 0;
}

void MemoryFileSystem::Remove(const std::string& path) {
  std::lock_guard lock(mutex_);
  files_.erase(path);
}

std::vector<std::pair<std::string, std::string>> MemoryFileSystem::Files() const {
  std::lock_guard lock(mutex_);
  std::vector<std::pair<std::string, std::string>> files;
  for (const auto& [path, node] : files_) files.emplace_back(path, node->bytes.Bytes());
  std::sort(files.begin(), files.end());
  return files;
}

void MemoryFileSystem::RemoveAllFiles() {
  std::lock_guard lock(mutex_);
  files_.clear();
}

size_t MemoryFileSystem::OpenDescriptors() const {
  std::lock_guard lock(mutex_);
  return handles_.size();
}

size_t MemoryFileSystem::HeldTemporaries() const {
  std::lock_guard lock(mutex_);
  return held_.size();
}

bool MemoryFileSystem::HasFolderOf(const std::string& path) const {
  return folders_.count(FolderOf(path)) != 0;
}

MemoryFileSystem::Handle* MemoryFileSystem::HandleOf(int fd) {
  auto it = handles_.find(fd);
  return it == handles_.end() ? nullptr : &it->second;
}

int MemoryFileSystem::NewDescriptor(std::shared_ptr<Node> node, bool writable) {
  const int fd = nextFd_++;
  handles_.emplace(fd, Handle{std::move(node), writable});
  return fd;
}

int MemoryFileSystem::Open(const std::string& path, int flags) {
  std::lock_guard lock(mutex_);
  if (folders_.count(path) != 0) return Fail(EISDIR);
  auto it = files_.find(path);
  if (it == files_.end()) return Fail(ENOENT);
  return NewDescriptor(it->second, (flags & O_ACCMODE) != O_RDONLY);
}

int MemoryFileSystem::SetBlocking(int fd) {
  std::lock_guard lock(mutex_);
  return HandleOf(fd) ? 0 : Fail(EBADF);
}

int MemoryFileSystem::Fstat(int fd, struct stat* st) {
  std::lock_guard lock(mutex_);
  Handle* handle = HandleOf(fd);
  if (handle == nullptr) return Fail(EBADF);
  FillStatus(st, S_IFREG, handle->node->mode, handle->node->bytes.size());
  return 0;
}

int MemoryFileSystem::Stat(const std::string& path, struct stat* st) {
  std::lock_guard lock(mutex_);
  if (folders_.count(path) != 0) {
    FillStatus(st, S_IFDIR, 0755, 0);
    return 0;
  }
  auto it = files_.find(path);
  if (it == files_.end()) return Fail(ENOENT);
  FillStatus(st, S_IFREG, it->second->mode, it->second->bytes.size());
  return 0;
}

std::string MemoryFileSystem::RealPath(const std::string& path) {
  std::lock_guard lock(mutex_);
  return files_.count(path) != 0 || folders_.count(path) != 0 ? path : std::string();
}

ssize_t MemoryFileSystem::PRead(int fd, void* data, size_t n, uint64_t offset) {
  std::lock_guard lock(mutex_);
  Handle* handle = HandleOf(fd);
  if (handle == nullptr) return Fail(EBADF);
  return static_cast<ssize_t>(handle->node->bytes.Read(offset, static_cast<char*>(data), n));
}

ssize_t MemoryFileSystem::PWrite(int fd, const void* data, size_t n, uint64_t offset) {
  std::lock_guard lock(mutex_);
  Handle* handle = HandleOf(fd);
  if (handle == nullptr || !handle->writable) return Fail(EBADF);
  if (offset > limit_ || n > limit_ - offset) return Fail(EFBIG);
  handle->node->bytes.Write(offset, static_cast<const char*>(data), n);
  return static_cast<ssize_t>(n);
}

int MemoryFileSystem::Fsync(int fd) {
  std::lock_guard lock(mutex_);
  return HandleOf(fd) ? 0 : Fail(EBADF);
}

int MemoryFileSystem::Fchmod(int fd, unsigned mode) {
  std::lock_guard lock(mutex_);
  Handle* handle = HandleOf(fd);
  if (handle == nullptr) return Fail(EBADF);
  handle->node->mode = mode & 07777;
  return 0;
}

int MemoryFileSystem::Close(int fd) {
  std::lock_guard lock(mutex_);
  return handles_.erase(fd) != 0 ? 0 : Fail(EBADF);
}

int MemoryFileSystem::Rename(const std::string& from, const std::string& to) {
  std::lock_guard lock(mutex_);
  auto it = files_.find(from);
  if (it == files_.end()) return Fail(ENOENT);
  if (folders_.count(to) != 0) return Fail(EISDIR);
  if (!HasFolderOf(to)) return Fail(ENOENT);
  std::shared_ptr<Node> node = it->second;
  files_.erase(it);
  files_[to] = std::move(node);
  return 0;
}

int MemoryFileSystem::Unlink(const std::string& path) {
  std::lock_guard lock(mutex_);
  if (folders_.count(path) != 0) return Fail(EISDIR);
  return files_.erase(path) != 0 ? 0 : Fail(ENOENT);
}

int MemoryFileSystem::CreateTemporary(std::string& pattern) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::lock_guard lock(mutex_);
  if (pattern.size() < 6 || pattern.compare(pattern.size() - 6, 6, "XXXXXX") != 0) return Fail(EINVAL);
  if (!HasFolderOf(pattern)) return Fail(ENOENT);
  for (;;) {
    uint64_t n = nextTemporary_++;
    for (size_t i = pattern.size() - 6; i < pattern.size(); ++i, n /= 62) pattern[i] = kLetters[n % 62];
    if (files_.count(pattern) != 0 || folders_.count(pattern) != 0) continue;
    auto node = std::make_shared<Node>();
    node->mode = 0600;
    files_.emplace(pattern, node);
    held_.insert(pattern);
    return NewDescriptor(std::move(node), true);
  }
}

void MemoryFileSystem::ReleaseTemporary(const std::string& path) {
  std::lock_guard lock(mutex_);
  held_.erase(path);
}

}  // namespace orvane::fuzz
