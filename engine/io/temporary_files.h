// The process-wide table of temporary files the file layer has open, so that
// an interrupted run can remove them, and the critical sections an
// interruption must wait for. Everything the interruption reads is a fixed
// array of plain bytes and atomics: it is safe to walk from a signal handler
// as well as from a watcher thread.
#pragma once

#include <string>

namespace orvane::temporary {

// Enters the temporary file at path, open as fd, into the table and locks
// it (flock LOCK_EX) for as long as it stays there, so that no sweep of
// stale files touches it. False when the file could not be locked or is no
// longer the one at path; a full table enters nothing, and the file is
// still written and removed as usual, only an interruption misses it.
bool Hold(const std::string& path, int fd);
// A new file made from pattern as mkostemp makes it (pattern ends in
// "XXXXXX", replaced by the name the file got), with the permission bits
// mode less the umask, held as above, after a sweep of the pattern's
// folder: the descriptor, or -1 with errno set.
int CreateHeld(std::string& pattern, unsigned mode);

// Takes the entry out again and drops the lock, once the file is renamed
// into place or removed.
void Release(const std::string& path);

// Unlinks every file in the table. Async-signal-safe.
void RemoveAll();

// A span of work that an interruption lets finish: while any section is
// open, the interruption waits. A section opened after the interruption has
// begun never returns: the process ends before it would start its work.
void EnterCritical();
void LeaveCritical();

class CriticalSection {
 public:
  CriticalSection() { EnterCritical(); }
  ~CriticalSection() { LeaveCritical(); }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;
};

// Marks the process as being interrupted and waits until no critical
// section is open. Later EnterCritical calls block.
void BeginInterruption();

// True when the file name (no folder) has the form of the file layer's
// temporary files.
bool LooksTemporary(const std::string& name);

// Removes the temporary files left in folder by runs that ended without
// cleaning up: each one that no live process holds locked. A folder is
// swept once per process.
void SweepStaleFiles(const std::string& folder);

}  // namespace orvane::temporary
