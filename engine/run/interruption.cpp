// The interruption of a program that runs the engine: a thread of its own
// waits for the signals, which every other thread keeps blocked, so that
// removing the temporary files never races a signal handler against the
// threads that create them.
#include "orvane/interruption.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>

#include "io/temporary_files.h"

namespace orvane {

namespace {

sigset_t StopSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGHUP);
  return set;
}

void WaitAndStop(sigset_t set, std::string message) {
  int signal = 0;
  while (sigwait(&set, &signal) != 0) {
  }
  // A pulse power change in the middle of its header and seal is finished
  // first; nothing starts a new one or a new temporary file after this.
  temporary::BeginInterruption();
  temporary::RemoveAll();
  if (!message.empty()) {
    ssize_t ignored = ::write(STDERR_FILENO, message.data(), message.size());
    (void)ignored;
  }
  ::_exit(128 + signal);
}

}  // namespace

void InstallInterruptionHandler(const char* message) {
  static std::atomic<bool> installed{false};
  if (installed.exchange(true)) return;
  sigset_t set = StopSignals();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  std::thread(WaitAndStop, set, std::string(message ? message : "")).detach();
}

UninterruptedSection::UninterruptedSection() { temporary::EnterCritical(); }
UninterruptedSection::~UninterruptedSection() { temporary::LeaveCritical(); }

}  // namespace orvane
