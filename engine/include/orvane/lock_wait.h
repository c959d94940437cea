// How the engine's work on the calling thread waits for a lock that another
// program holds on a pulse file (flock: a pulse power change holds its file
// alone; readers share it while they check it). Without a LockWait the
// thread waits silently until the file is free. A conversion or pulse power
// command sets its own from its reporter; a front end that opens a mapped
// view itself (PulseFileView::Open) may set one around the call.
#pragma once

#include <string>

namespace orvane {

class LockWait {
 public:
  virtual ~LockWait() = default;
  // Called once, when the wait has lasted a second.
  virtual void Waiting(const std::string& path) = 0;
  // Asked every few milliseconds: true gives the wait up, and the opening
  // fails with ECANCELED ("Operation canceled").
  virtual bool GiveUp() = 0;
};

// Makes wait the calling thread's way of waiting while it lives.
class ScopedLockWait {
 public:
  explicit ScopedLockWait(LockWait& wait);
  ~ScopedLockWait();
  ScopedLockWait(const ScopedLockWait&) = delete;
  ScopedLockWait& operator=(const ScopedLockWait&) = delete;

 private:
  LockWait* previous_;
};

}  // namespace orvane
