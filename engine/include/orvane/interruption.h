// What happens when a program that runs the engine is told to stop
// (SIGINT, SIGTERM, SIGHUP): every temporary file of its runs is removed,
// every file that was complete stays as it was, and the program ends with
// exit status 128 + the signal's number. A pulse power change is never cut
// between a record's header and its seal word.
#pragma once

namespace orvane {

// Blocks the three signals in the calling thread and starts a thread that
// waits for them. Call it at the start of main, before any other thread is
// started, so that every later thread inherits the blocked signals. message
// (may be null) is written to standard error before the program ends, e.g.
// "orvane-cli: interrupted\n". Calling it again does nothing.
void InstallInterruptionHandler(const char* message);

// Holds an interruption off while it lives; one made after an interruption
// has begun never returns, as the program ends first. A front end prints
// each run's results inside one, so that a run the interruption has cut
// short (its temporary files removed under it) is never reported.
class UninterruptedSection {
 public:
  UninterruptedSection();
  ~UninterruptedSection();
  UninterruptedSection(const UninterruptedSection&) = delete;
  UninterruptedSection& operator=(const UninterruptedSection&) = delete;
};

}  // namespace orvane
