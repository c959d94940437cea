// Reading a file mapping that another program may cut short.
//
// Pulse files are read through read-only memory mappings (PulseFileView).
// When another program truncates or rewrites a mapped file in place (`cp`
// onto it, a truncating editor), reading a page past the file's new end
// raises SIGBUS, which ends the process. The guarded reads below turn that
// fault into a `false` result, so that a front end can notice the change and
// read the file again instead of dying.
//
// What is guaranteed:
// - A SIGBUS that the system raises in this thread because a read inside a
//   guarded call touched a mapping (any SIGBUS fault, in fact, but on Linux
//   that means a page beyond the end of a mapped file) stops the read and
//   makes the call return false. The process, its other threads and their
//   own guarded calls go on. Guarded calls nest, and run in any number of
//   threads at once.
// - A SIGBUS outside a guarded call, or one sent by kill() or raise(), is
//   handled as if the guard were not there: the handler that was installed
//   before the guard is called (Python's faulthandler, a sanitizer's), or,
//   when there was none, the default action ends the process with SIGBUS.
// - The guard's SIGBUS handler is installed once, on the first guarded call
//   or by InstallMappedReadGuard(). A handler installed after it sees faults
//   first; it must pass them on to the handler it replaced (faulthandler
//   does, after printing its traceback), or guarded faults crash again.
//
// What is not:
// - Bytes read before a fault are not undone: after a false result, the
//   destination holds a mix of old and new bytes, or none.
// - Only SIGBUS is caught. A mapping that was unmapped (its PulseFileView
//   gone) still faults with SIGSEGV: hold the view while reading.
// - The mapping keeps the file's old length: a file that grew shows its new
//   bytes only through a new view, and a file rewritten with the same length
//   reads without any fault. PulseFileView::Changed() tells those apart.
//
// A guarded body is left by a jump out of a signal handler when it faults,
// so it must be a plain read: no objects with destructors, no allocation, no
// locks, no exceptions in it. Write into memory that the caller prepared.
#pragma once

#include <cstddef>
#include <type_traits>

namespace orvane {

// Installs the SIGBUS handler that guarded calls rely on, once per process;
// later calls do nothing. Guarded calls install it themselves; call it early
// to choose where the handler sits among the process's other handlers.
void InstallMappedReadGuard();

// Runs read(context) so that a fault in a mapping ends it early: true when
// it ran to its end, false when it faulted.
bool RunMappedRead(void (*read)(void* context), void* context) noexcept;

// Copies n bytes from src, inside a file mapping, to dst (ordinary memory):
// true when every byte was read, false when the file no longer holds them.
bool CopyMapped(void* dst, const void* src, size_t n) noexcept;

// RunMappedRead for a callable, e.g. a lambda that captures by reference:
//   ReadMapped([&] { for (size_t i = 0; i < n; ++i) out[i] = Load(in + i); })
// The callable's body follows the rules of a guarded body above.
template <class Read>
bool ReadMapped(Read&& read) noexcept {
  using Body = std::remove_reference_t<Read>;
  return RunMappedRead([](void* context) { (*static_cast<Body*>(context))(); },
                       const_cast<void*>(static_cast<const void*>(&read)));
}

}  // namespace orvane
