// The SIGBUS guard of reads from file mappings: a handler installed once
// jumps back into the guarded call that faulted; every other SIGBUS goes on
// to the handler that was there before, or to the default action.
#include "orvane/mapped_read.h"

#include <setjmp.h>
#include <signal.h>

#include <atomic>
#include <cstring>
#include <mutex>

namespace orvane {
namespace {

// One guarded call in progress on this thread; guarded calls nest.
struct GuardFrame {
  sigjmp_buf jump;
  GuardFrame* outer;
};

// The innermost guarded call of this thread. Read by the signal handler, so
// it is a plain pointer in the static TLS block (initial-exec): reaching it
// never allocates, also where the engine is part of a loaded module.
__attribute__((tls_model("initial-exec"))) thread_local GuardFrame* innermost = nullptr;

// The SIGBUS action that was installed before the guard.
struct sigaction previous;

// A fault the system raised (a page beyond the end of the file), as opposed
// to a SIGBUS that a process sent with kill() or raise().
bool RaisedByFault(const siginfo_t* info) { return info != nullptr && info->si_code > 0; }

// Hands a SIGBUS that no guarded call expects to what would have had it
// without the guard.
void PassOn(int signal, siginfo_t* info, void* context) {
  // A sent SIGBUS that the process ignored stays ignored.
  if ((previous.sa_flags & SA_SIGINFO) == 0 && previous.sa_handler == SIG_IGN && !RaisedByFault(info)) return;
  if ((previous.sa_flags & SA_SIGINFO) != 0 && previous.sa_sigaction != nullptr) {
    previous.sa_sigaction(signal, info, context);
    return;
  }
  if ((previous.sa_flags & SA_SIGINFO) == 0 && previous.sa_handler != SIG_DFL &&
      previous.sa_handler != SIG_IGN) {
    previous.sa_handler(signal);
    return;
  }
  // The default action (an ignored SIGBUS from a fault cannot be ignored
  // either): the guard steps aside, and the fault, which happens again when
  // the handler returns to the faulting instruction, ends the process. A
  // signal that was sent is sent again, to be delivered on return.
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  sigaction(signal, &fallback, nullptr);
  if (!RaisedByFault(info)) raise(signal);
}

void OnBusError(int signal, siginfo_t* info, void* context) {
  GuardFrame* frame = innermost;
  if (frame != nullptr && RaisedByFault(info)) siglongjmp(frame->jump, 1);
  PassOn(signal, info, context);
}

void Install() {
  struct sigaction action {};
  action.sa_sigaction = OnBusError;
  action.sa_flags = SA_SIGINFO;
  sigemptyset(&action.sa_mask);
  sigaction(SIGBUS, &action, &previous);
}

struct CopyRequest {
  void* dst;
  const void* src;
  size_t n;
};

void CopyRequested(void* context) {
  const auto* request = static_cast<const CopyRequest*>(context);
  std::memcpy(request->dst, request->src, request->n);
}

}  // namespace

void InstallMappedReadGuard() {
  static std::once_flag once;
  std::call_once(once, Install);
}

bool RunMappedRead(void (*read)(void* context), void* context) noexcept {
  InstallMappedReadGuard();
  GuardFrame frame;
  frame.outer = innermost;
  // The signal mask is saved with the jump buffer: the handler runs with
  // SIGBUS blocked, and the jump back must unblock it.
  if (sigsetjmp(frame.jump, 1) != 0) {
    innermost = frame.outer;
    return false;
  }
  innermost = &frame;
  // The frame must be in place before the first read, and stay until the last.
  std::atomic_signal_fence(std::memory_order_seq_cst);
  read(context);
  std::atomic_signal_fence(std::memory_order_seq_cst);
  innermost = frame.outer;
  return true;
}

bool CopyMapped(void* dst, const void* src, size_t n) noexcept {
  if (n == 0) return true;
  CopyRequest request{dst, src, n};
  return RunMappedRead(CopyRequested, &request);
}

}  // namespace orvane
