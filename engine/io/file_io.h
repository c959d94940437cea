// The engine's file layer: buffered binary files addressed by absolute
// position, replacement files that are renamed into place only once complete,
// and a fault seam that lets tests fail any single system call.
#pragma once

#include <sys/file.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "orvane/lock_wait.h"

namespace orvane::io {

// Every system call of the file layer passes through the fault seam first.
enum class Call { Open, Read, Write, Seek, Flush, Close, Rename, Remove };

// Makes the k-th call (counted from 1 after Arm) fail as if the system had
// refused it. Counting is process-wide; tests arm it around one operation.
class FaultSeam {
 public:
  // The call that was made to fail: its kind, the file it was made on (a
  // replacement file counts as its target; empty when the call names no open
  // file) and whether nothing had been written to that file, so that a
  // failure there cannot have cost any data.
  struct Fault {
    Call call;
    std::string path;
    bool onlyRead;
  };

  static void Arm(uint64_t failAt);
  static void Disarm();
  static uint64_t CallsSeen();
  static bool Fired();
  static std::optional<Fault> FiredFault();
  // Called by the file layer itself before each system call.
  static bool ShouldFail(Call call, const std::string& path = {}, bool onlyRead = false);
};

// A byte buffer whose bytes are not cleared when it is allocated: the file
// layer's buffers are large and always written before they are read.
// Each thread keeps the last buffer it gave up for the next one of the same
// size: a batch of small files would otherwise have the allocator hand a
// mebibyte back to the system and take it again, with fresh pages, for
// every file.
class ByteBuffer {
 public:
  ByteBuffer() = default;
  explicit ByteBuffer(size_t size) { resize(size); }
  ~ByteBuffer() { Release(); }
  ByteBuffer(ByteBuffer&& other) noexcept
      : bytes_(std::move(other.bytes_)), size_(std::exchange(other.size_, 0)) {}
  ByteBuffer& operator=(ByteBuffer&& other) noexcept {
    if (this != &other) {
      Release();
      bytes_ = std::move(other.bytes_);
      size_ = std::exchange(other.size_, 0);
    }
    return *this;
  }
  char* data() { return bytes_.get(); }
  const char* data() const { return bytes_.get(); }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  char& operator[](size_t i) { return bytes_[i]; }
  // Contents are not kept.
  void resize(size_t size);

 private:
  void Release();
  std::unique_ptr<char[]> bytes_;
  size_t size_ = 0;
};

// Why the last call of the file layer on this thread failed, as the
// operating system or the layer itself puts it ("No space left on device",
// "the folder /x cannot be written: Permission denied"), for the front
// ends to add to a run's message. Taking it clears it.
// error is the system's error number behind the reason, 0 for a refusal
// of the layer's own.
struct FailureReason {
  std::string text;
  int error = 0;
};
void NoteFailureReason(std::string reason, int error = 0);
void NoteSystemError(int error);
FailureReason TakeFailureReason();
const FailureReason& LastFailureReason();
void ClearFailureReason();

// The thread's way of waiting for another program's lock (orvane/lock_wait.h).
using orvane::LockWait;
using orvane::ScopedLockWait;

// Takes the flock operation (LOCK_SH or LOCK_EX) on fd, named path, through
// flock: at once when the file is free, otherwise waiting as the calling
// thread's LockWait says (without one, until the file is free). False with
// errno ECANCELED when the wait was given up.
bool WaitForLock(int fd, int operation, const std::string& path,
                 const std::function<int(int, int)>& flock = ::flock);

class File {
 public:
  enum class Mode {
    Read,    // existing file, reading only ("rb", "r")
    Update,  // existing file, reading and writing in place ("r+b")
  };

  // How a run keeps other processes off the file while it has it open
  // (flock): readers share, a writer in place holds it alone. A run that
  // finds the file held waits until it is free, as the thread's LockWait
  // says; one that gives up fails with ECANCELED.
  enum class Lock { None, Shared, Exclusive };

  // Null when the file cannot be opened; nothing is created.
  static std::unique_ptr<File> Open(const std::string& path, Mode mode, Lock lock = Lock::None);
  ~File();
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Reads up to n bytes at the current position. A short count sets the
  // end-of-file indicator or the error indicator, as a stdio stream would.
  size_t Read(void* buffer, size_t n);
  bool ReadExact(void* buffer, size_t n) { return Read(buffer, n) == n; }
  // Reads one byte; -1 at the end of the file or on an error.
  int GetChar() {
    if (readPos_ < readLen_) return static_cast<unsigned char>(buffer_[readPos_++]);
    return GetCharSlow();
  }
  // Whole view of the buffered bytes ahead, refilling when empty. Size 0 at
  // the end of the file or after an error.
  std::pair<const char*, size_t> Peek();
  void Consume(size_t n) { readPos_ += n; }

  bool Write(const void* data, size_t n);
  bool Seek(uint64_t offset);
  bool SeekEnd();
  uint64_t Tell() const;
  uint64_t Size();
  bool Flush();  // hands buffered bytes to the system
  bool Sync();   // flushes, then forces the bytes to the disk
  bool Close();  // flushes and closes; false if either failed

  // Called with the position the file has been read up to after each read
  // from the system (about once per mebibyte); empty: nothing is called.
  // A watcher that answers false ends the reading: that read and every
  // later one fail, with the reason "cancelled" (ECANCELED).
  void WatchReads(std::function<bool(uint64_t)> watcher) { readWatcher_ = std::move(watcher); }

  bool AtEof() const { return eof_; }
  bool HasError() const { return error_; }
  // A write failed, also one that a Seek or Flush passed on.
  bool WriteFailed() const { return writeFailed_; }
  const std::string& Path() const { return path_; }

 private:
  friend class ReplacementFile;
  File(int fd, std::string path);
  int GetCharSlow();
  bool FillReadBuffer();
  bool FlushWrites();

  int fd_;
  std::string path_;
  ByteBuffer buffer_;
  uint64_t bufferStart_ = 0;  // file offset of buffer_[0]
  size_t readPos_ = 0;        // next byte to deliver, when reading
  size_t readLen_ = 0;        // bytes of buffer_ holding file contents
  size_t writeLen_ = 0;       // pending bytes to write at bufferStart_
  bool eof_ = false;
  bool error_ = false;
  bool written_ = false;  // any Write was made on it
  bool writeFailed_ = false;
  size_t fillSize_ = size_t{1} << 20;  // bytes the next buffer fill asks for
  bool cancelled_ = false;
  std::function<bool(uint64_t)> readWatcher_;
  bool Watched(uint64_t position);
};

// A new file written beside its target under a temporary name; Commit renames
// it onto the target, so that the target is either the old file or the
// complete new one. A replacement file that is not committed removes itself.
class ReplacementFile {
 public:
  // Null when the temporary file cannot be created, or when the target is a
  // directory or an existing file without write permission.
  static std::unique_ptr<ReplacementFile> Create(const std::string& name);
  ~ReplacementFile();

  File& Stream() { return *file_; }
  const std::string& Target() const { return target_; }
  const std::string& TemporaryPath() const { return tempPath_; }
  // Closes and renames onto the target; with sync, forces the data to disk
  // first. On failure the temporary file is removed and the target is kept.
  bool Commit(bool sync) { return Complete(sync) && PutInPlace(); }
  // The two halves of Commit, for files that are put in place together:
  // Complete closes the temporary file (its descriptor is given back), and
  // PutInPlace renames it onto the target. On failure the temporary file
  // is removed and the target is kept.
  bool Complete(bool sync);
  bool PutInPlace();
  // Closes the file whatever the state of its writes and puts what it
  // holds in place: the partial result of a run that keeps one.
  bool PutInPlaceAsItIs();
  void Discard();

 private:
  ReplacementFile(std::unique_ptr<File> file, std::string target, std::string temp, unsigned mode);
  std::unique_ptr<File> file_;
  std::string target_;
  std::string tempPath_;
  unsigned mode_;
  bool done_ = false;
  bool complete_ = false;
};

bool FileExists(const std::string& path);

}  // namespace orvane::io
