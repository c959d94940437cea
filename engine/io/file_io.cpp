#include "io/file_io.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <thread>
#include <utility>

#include "io/file_system.h"
#include "io/temporary_files.h"

namespace orvane::io {

namespace {
thread_local FailureReason tReason;

// The buffer the thread gave up last, kept for the next of its size.
struct SpareBuffer {
  std::unique_ptr<char[]> bytes;
  size_t size = 0;
};
thread_local SpareBuffer tSpare;
}  // namespace

void ByteBuffer::resize(size_t size) {
  Release();
  if (tSpare.bytes && tSpare.size == size) {
    bytes_ = std::move(tSpare.bytes);
    tSpare.size = 0;
  } else {
    bytes_.reset(new char[size]);
  }
  size_ = size;
}

void ByteBuffer::Release() {
  if (!bytes_) return;
  if (size_ >= tSpare.size) {
    tSpare.bytes = std::move(bytes_);
    tSpare.size = size_;
  }
  bytes_.reset();
  size_ = 0;
}

void NoteFailureReason(std::string reason, int error) { tReason = FailureReason{std::move(reason), error}; }
void NoteSystemError(int error) { tReason = FailureReason{std::strerror(error), error}; }
FailureReason TakeFailureReason() { return std::exchange(tReason, FailureReason{}); }
const FailureReason& LastFailureReason() { return tReason; }
void ClearFailureReason() { tReason = FailureReason{}; }

namespace {

// Bytes of a file's buffer, as its file system prefers them.
size_t BufferSize() { return CurrentFileSystem().BufferSize(); }
constexpr size_t kFirstFillSize = size_t{1} << 16;

std::atomic<uint64_t> gFailAt{0};
std::atomic<uint64_t> gCalls{0};
std::atomic<bool> gFired{false};
std::mutex gFaultMutex;
std::optional<FaultSeam::Fault> gFault;  // guarded by gFaultMutex

ssize_t PreadAll(int fd, char* data, size_t n, uint64_t offset, const std::string& path, bool onlyRead) {
  size_t done = 0;
  while (done < n) {
    if (FaultSeam::ShouldFail(Call::Read, path, onlyRead)) return -1;
    ssize_t got = CurrentFileSystem().PRead(fd, data + done, n - done, offset + done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      NoteSystemError(errno);
      return -1;
    }
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  return static_cast<ssize_t>(done);
}

bool PwriteAll(int fd, const char* data, size_t n, uint64_t offset, const std::string& path) {
  size_t done = 0;
  while (done < n) {
    if (FaultSeam::ShouldFail(Call::Write, path)) return false;
    ssize_t put = CurrentFileSystem().PWrite(fd, data + done, n - done, offset + done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      // A write that takes nothing means the disk is full.
      NoteSystemError(put == 0 ? ENOSPC : errno);
      return false;
    }
    done += static_cast<size_t>(put);
  }
  return true;
}

unsigned DefaultFileMode() {
  static unsigned mode = [] {
    mode_t old = ::umask(0);
    ::umask(old);
    return 0666u & ~static_cast<unsigned>(old);
  }();
  return mode;
}

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace

void FaultSeam::Arm(uint64_t failAt) {
  {
    std::lock_guard<std::mutex> lock(gFaultMutex);
    gFault.reset();
  }
  gCalls = 0;
  gFired = false;
  gFailAt = failAt;
}

void FaultSeam::Disarm() { gFailAt = 0; }
uint64_t FaultSeam::CallsSeen() { return gCalls; }
bool FaultSeam::Fired() { return gFired; }

std::optional<FaultSeam::Fault> FaultSeam::FiredFault() {
  std::lock_guard<std::mutex> lock(gFaultMutex);
  return gFault;
}

bool FaultSeam::ShouldFail(Call call, const std::string& path, bool onlyRead) {
  uint64_t n = ++gCalls;
  if (gFailAt != 0 && n == gFailAt) {
    {
      std::lock_guard<std::mutex> lock(gFaultMutex);
      gFault = Fault{call, path, onlyRead};
    }
    gFired = true;
    errno = EIO;
    return true;
  }
  return false;
}

File::File(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}

File::~File() {
  if (fd_ < 0) return;
  // Closing here reports nothing: paths that must know whether their data
  // reached the system call Close themselves. The close still passes the
  // seam, so that a failing close of a file that was only read is covered.
  FaultSeam::ShouldFail(Call::Close, path_, !written_);
  CurrentFileSystem().Close(fd_);
}

namespace {

thread_local LockWait* tLockWait = nullptr;

bool TakeLock(FileSystem& system, int fd, File::Lock lock, const std::string& path) {
  if (lock == File::Lock::None) return true;
  return WaitForLock(fd, lock == File::Lock::Shared ? LOCK_SH : LOCK_EX, path,
                     [&system](int f, int operation) { return system.Flock(f, operation); });
}

}  // namespace

bool WaitForLock(int fd, int operation, const std::string& path, const std::function<int(int, int)>& flock) {
  using namespace std::chrono;
  int result;
  if (tLockWait == nullptr) {
    // A signal's interruption of the wait is no failure.
    while ((result = flock(fd, operation)) != 0 && errno == EINTR) {
    }
    return result == 0;
  }
  const auto start = steady_clock::now();
  bool told = false;
  while ((result = flock(fd, operation | LOCK_NB)) != 0) {
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    if (tLockWait->GiveUp()) {
      errno = ECANCELED;
      return false;
    }
    if (!told && steady_clock::now() - start >= seconds(1)) {
      told = true;
      tLockWait->Waiting(path);
    }
    std::this_thread::sleep_for(milliseconds(20));
  }
  return true;
}

std::unique_ptr<File> File::Open(const std::string& path, Mode mode, Lock lock) {
  if (path.empty() || FaultSeam::ShouldFail(Call::Open, path, mode == Mode::Read)) return nullptr;
  // Opened without blocking, so that a FIFO or a device named by the user
  // cannot hold the run up: anything but a regular file is refused.
  int flags = (mode == Mode::Read ? O_RDONLY : O_RDWR) | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
  FileSystem& system = CurrentFileSystem();
  int fd = system.Open(path, flags);
  if (fd < 0) {
    NoteSystemError(errno);
    return nullptr;
  }
  struct stat st;
  // A file without any write permission is read-only for every user,
  // the superuser included: changing it in place would override the
  // owner's explicit choice.
  if (system.Fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
      (mode == Mode::Update && (st.st_mode & 0222) == 0) || system.SetBlocking(fd) != 0 ||
      !TakeLock(system, fd, lock, path)) {
    const int error = errno;
    if (!S_ISREG(st.st_mode))
      NoteFailureReason("not a regular file", S_ISDIR(st.st_mode) ? EISDIR : 0);
    else if (mode == Mode::Update && (st.st_mode & 0222) == 0)
      NoteFailureReason("the file is read-only", EACCES);
    else
      NoteSystemError(error);
    system.Close(fd);
    return nullptr;
  }
  return std::unique_ptr<File>(new File(fd, path));
}

uint64_t File::Tell() const { return bufferStart_ + (writeLen_ > 0 ? writeLen_ : readPos_); }

bool File::FlushWrites() {
  if (writeLen_ == 0) return true;
  bool ok = PwriteAll(fd_, buffer_.data(), writeLen_, bufferStart_, path_);
  bufferStart_ += writeLen_;
  writeLen_ = 0;
  if (!ok) error_ = writeFailed_ = true;
  return ok;
}

bool File::FillReadBuffer() {
  if (cancelled_ || !FlushWrites()) return false;
  bufferStart_ += readPos_;
  readPos_ = readLen_ = 0;
  if (buffer_.empty()) buffer_.resize(BufferSize());
  // The first fill after a jump reads little: a jump is often made to read
  // a few bytes (an offset, a record header). Reading on fills the buffer.
  const size_t want = std::min(fillSize_, buffer_.size());
  fillSize_ = buffer_.size();
  ssize_t got = PreadAll(fd_, buffer_.data(), want, bufferStart_, path_, !written_);
  if (got < 0) {
    error_ = true;
    return false;
  }
  readLen_ = static_cast<size_t>(got);
  if (readLen_ == 0) eof_ = true;
  if (!Watched(bufferStart_ + readLen_)) {
    readLen_ = 0;
    return false;
  }
  return readLen_ > 0;
}

bool File::Watched(uint64_t position) {
  if (!cancelled_ && (!readWatcher_ || readWatcher_(position))) return true;
  cancelled_ = error_ = true;
  NoteFailureReason("cancelled", ECANCELED);
  return false;
}

int File::GetCharSlow() {
  if (!FillReadBuffer()) return -1;
  return static_cast<unsigned char>(buffer_[readPos_++]);
}

std::pair<const char*, size_t> File::Peek() {
  if (readPos_ == readLen_ && !FillReadBuffer()) return {nullptr, 0};
  return {buffer_.data() + readPos_, readLen_ - readPos_};
}

size_t File::Read(void* out, size_t n) {
  char* dst = static_cast<char*>(out);
  size_t done = 0;
  if (writeLen_ > 0 && !FlushWrites()) return 0;
  while (done < n) {
    size_t avail = readLen_ - readPos_;
    if (avail > 0) {
      size_t take = std::min(avail, n - done);
      std::memcpy(dst + done, buffer_.data() + readPos_, take);
      readPos_ += take;
      done += take;
      continue;
    }
    if (n - done >= BufferSize()) {
      // A large request bypasses the buffer.
      bufferStart_ += readPos_;
      readPos_ = readLen_ = 0;
      ssize_t got = PreadAll(fd_, dst + done, n - done, bufferStart_, path_, !written_);
      if (got < 0) {
        error_ = true;
        break;
      }
      bufferStart_ += static_cast<uint64_t>(got);
      done += static_cast<size_t>(got);
      if (!Watched(bufferStart_)) break;
      if (done < n) eof_ = true;
      break;
    }
    if (!FillReadBuffer()) break;
  }
  return done;
}

bool File::Write(const void* data, size_t n) {
  if (n == 0) return true;
  const char* src = static_cast<const char*>(data);
  written_ = true;
  if (readLen_ > 0 || readPos_ > 0) {
    bufferStart_ += readPos_;
    readPos_ = readLen_ = 0;
  }
  if (buffer_.empty()) buffer_.resize(BufferSize());
  if (writeLen_ + n > buffer_.size()) {
    if (!FlushWrites()) return false;
    if (n >= buffer_.size()) {
      bool ok = PwriteAll(fd_, src, n, bufferStart_, path_);
      if (!ok) {
        error_ = writeFailed_ = true;
        return false;
      }
      bufferStart_ += n;
      return true;
    }
  }
  std::memcpy(buffer_.data() + writeLen_, src, n);
  writeLen_ += n;
  return true;
}

bool File::Seek(uint64_t offset) {
  if (FaultSeam::ShouldFail(Call::Seek, path_, !written_)) return false;
  if (offset > static_cast<uint64_t>(std::numeric_limits<off_t>::max())) return false;
  if (!FlushWrites()) return false;  // the pending writes failed: WriteFailed()
  eof_ = false;
  if (readLen_ > 0 && offset >= bufferStart_ && offset <= bufferStart_ + readLen_) {
    readPos_ = static_cast<size_t>(offset - bufferStart_);
    return true;
  }
  bufferStart_ = offset;
  readPos_ = readLen_ = 0;
  fillSize_ = kFirstFillSize;
  return true;
}

uint64_t File::Size() {
  FlushWrites();
  struct stat st;
  if (CurrentFileSystem().Fstat(fd_, &st) != 0) return 0;
  return static_cast<uint64_t>(st.st_size);
}

bool File::SeekEnd() {
  if (!FlushWrites()) return false;
  struct stat st;
  if (CurrentFileSystem().Fstat(fd_, &st) != 0) return false;
  return Seek(static_cast<uint64_t>(st.st_size));
}

bool File::Flush() { return FlushWrites(); }

bool File::Sync() {
  if (!FlushWrites()) return false;
  if (FaultSeam::ShouldFail(Call::Flush, path_, !written_) || CurrentFileSystem().Fsync(fd_) != 0) {
    if (errno != 0) NoteSystemError(errno);
    error_ = true;
    return false;
  }
  return true;
}

bool File::Close() {
  if (fd_ < 0) return !error_;
  bool ok = FlushWrites();
  bool injected = FaultSeam::ShouldFail(Call::Close, path_, !written_);
  if (CurrentFileSystem().Close(fd_) != 0 || injected) ok = false;
  fd_ = -1;
  // A closed file needs no buffer: the text files of an export wait, closed,
  // until the run puts them in place together.
  buffer_ = ByteBuffer();
  return ok && !error_;
}

ReplacementFile::ReplacementFile(std::unique_ptr<File> file, std::string target, std::string temp,
                                 unsigned mode)
    : file_(std::move(file)), target_(std::move(target)), tempPath_(std::move(temp)), mode_(mode) {}

ReplacementFile::~ReplacementFile() { Discard(); }

namespace {

// The file a name leads to: a symbolic link is followed, also when what it
// names does not exist yet (a dangling link creates its target), so the link
// stays a link. Chains are followed a few steps deep. found tells whether
// the target exists, and st is then its status: a name that is no link
// costs one status call in all.
std::string ResolvedTarget(FileSystem& system, const std::string& name, bool& found, struct stat& st) {
  std::string target = name;
  for (int depth = 0; depth < 8; ++depth) {
    struct stat& link = st;
    found = system.Lstat(target, &link) == 0;
    if (!found) return target;
    if (!S_ISLNK(link.st_mode)) return target;
    const std::string resolved = system.RealPath(target);
    if (!resolved.empty()) return resolved;
    const std::string named = system.ReadLink(target);
    if (named.empty()) return target;
    target = named.front() == '/' ? named : DirectoryOf(target) + "/" + named;
  }
  found = system.Stat(target, &st) == 0;
  return target;
}

// Why an existing target cannot be replaced, or nothing.
std::optional<FailureReason> RefusalOf(const struct stat& st) {
  if (S_ISDIR(st.st_mode)) return FailureReason{"it is a folder", EISDIR};
  if (!S_ISREG(st.st_mode)) return FailureReason{"not a regular file"};
  if ((st.st_mode & 0222) == 0) return FailureReason{"the file is read-only", EACCES};
  // A new file under one name would leave the other names with the old
  // contents: the user decides which name to write through.
  if (st.st_nlink > 1)
    return FailureReason{"the file has " + std::to_string(st.st_nlink - 1) +
                         " other hard link(s), which would keep the old contents"};
  return std::nullopt;
}

}  // namespace

std::unique_ptr<ReplacementFile> ReplacementFile::Create(const std::string& name) {
  if (name.empty()) return nullptr;
  FileSystem& system = CurrentFileSystem();
  struct stat st;
  bool exists = false;
  std::string target = ResolvedTarget(system, name, exists, st);
  // A link whose target was found resolved: the target's own status.
  if (exists && S_ISLNK(st.st_mode)) exists = system.Stat(target, &st) == 0;
  unsigned mode = DefaultFileMode();
  if (exists) {
    if (auto refusal = RefusalOf(st)) {
      tReason = *refusal;
      return nullptr;
    }
    mode = st.st_mode & 07777;
  }
  // The temporary name does not grow with the target's: every name the
  // file system accepts can be written.
  const std::string folder = DirectoryOf(target);
  std::string temp = folder + "/.orvane-XXXXXX";
  if (FaultSeam::ShouldFail(Call::Open, target)) return nullptr;
  int fd = system.CreateTemporaryWithMode(temp, mode);
  if (fd < 0) {
    const int error = errno;
    NoteFailureReason("the folder " + folder + " cannot be written: " + std::strerror(error), error);
    return nullptr;
  }
  // The new file keeps the old one's owner and group where this process may
  // set them (the superuser, or a group of its own); otherwise it is ours.
  if (exists && (st.st_uid != ::geteuid() || st.st_gid != ::getegid()) &&
      system.Fchown(fd, st.st_uid, st.st_gid) != 0)
    system.Fchown(fd, static_cast<unsigned>(-1), st.st_gid);
  // A new target's file was created with its mode; a replaced file's mode
  // is carried over whatever the umask (which may have changed since it was
  // read) and the change of owner (which clears the set-id bits) made of it.
  if (exists) system.Fchmod(fd, mode);
  std::unique_ptr<File> file(new File(fd, target));
  return std::unique_ptr<ReplacementFile>(
      new ReplacementFile(std::move(file), target, std::move(temp), mode));
}

bool ReplacementFile::Complete(bool sync) {
  if (done_ || complete_) return false;
  bool ok = !file_->HasError();
  if (ok && sync) ok = file_->Sync();
  ok = file_->Close() && ok;
  if (!ok) {
    Discard();
    return false;
  }
  complete_ = true;
  return true;
}

bool ReplacementFile::PutInPlace() {
  if (done_ || !complete_) return false;
  FileSystem& system = CurrentFileSystem();
  bool ok = !FaultSeam::ShouldFail(Call::Rename, target_) && system.Rename(tempPath_, target_) == 0;
  if (!ok) {
    NoteSystemError(errno);
    system.Unlink(tempPath_);
  }
  system.ReleaseTemporary(tempPath_);
  done_ = true;
  return ok;
}

bool ReplacementFile::PutInPlaceAsItIs() {
  if (done_) return false;
  if (!complete_) {
    const io::FailureReason reason = TakeFailureReason();  // of the failure that led here
    file_->Close();
    NoteFailureReason(reason.text, reason.error);
    complete_ = true;
  }
  return PutInPlace();
}

void ReplacementFile::Discard() {
  if (done_) return;
  done_ = true;
  file_.reset();
  CurrentFileSystem().Unlink(tempPath_);
  CurrentFileSystem().ReleaseTemporary(tempPath_);
}

bool FileExists(const std::string& path) {
  struct stat st;
  return CurrentFileSystem().Stat(path, &st) == 0;
}

}  // namespace orvane::io

namespace orvane {

ScopedLockWait::ScopedLockWait(LockWait& wait) : previous_(std::exchange(io::tLockWait, &wait)) {}
ScopedLockWait::~ScopedLockWait() { io::tLockWait = previous_; }

}  // namespace orvane
