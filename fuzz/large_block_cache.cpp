// Linked into the libFuzzer programs only. The engine gives each text file
// it writes a buffer of about a mebibyte; under the address sanitizer every
// allocation that large is a mapping of its own, made and unmade with three
// system calls and fresh pages each time, which made a conversion of a few
// dozen records cost milliseconds. This replacement of the global operator
// new and delete keeps a few freed blocks of those sizes and hands them out
// again for a request of exactly the same size. Every other request goes to
// the sanitizer's allocator unchanged. A parked block is not poisoned (that
// would cost as much as the mapping): a use after free of a block of that
// size goes unseen while it is parked; smaller blocks keep the full checks.
#include <cstdlib>
#include <mutex>
#include <new>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/allocator_interface.h>
#define ORVANE_HAVE_ASAN 1
#endif
#endif
#ifndef ORVANE_HAVE_ASAN
#include <malloc.h>
#endif

namespace {

constexpr size_t kSmallest = size_t{1} << 17;
constexpr size_t kLargest = size_t{4} << 20;
constexpr int kSlots = 32;

struct Parked {
  void* block = nullptr;
  size_t size = 0;
};

std::mutex& CacheMutex() {
  static std::mutex* mutex = new std::mutex;
  return *mutex;
}
Parked gParked[kSlots];

size_t SizeOf(void* block) {
#ifdef ORVANE_HAVE_ASAN
  return __sanitizer_get_allocated_size(block);
#else
  return malloc_usable_size(block);
#endif
}

void* Take(size_t size) {
  if (size < kSmallest || size > kLargest) return nullptr;
  std::lock_guard lock(CacheMutex());
  for (Parked& slot : gParked) {
    if (slot.block != nullptr && slot.size == size) {
      void* block = slot.block;
      slot.block = nullptr;
      return block;
    }
  }
  return nullptr;
}

bool Park(void* block) {
  const size_t size = SizeOf(block);
  if (size < kSmallest || size > kLargest) return false;
  std::lock_guard lock(CacheMutex());
  for (Parked& slot : gParked) {
    if (slot.block == nullptr) {
      slot = Parked{block, size};
      return true;
    }
  }
  return false;
}

void* Allocate(size_t size) {
  if (void* block = Take(size)) return block;
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

void Release(void* block) noexcept {
  if (block != nullptr && !Park(block)) std::free(block);
}

}  // namespace

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* block) noexcept { Release(block); }
void operator delete[](void* block) noexcept { Release(block); }
void operator delete(void* block, size_t) noexcept { Release(block); }
void operator delete[](void* block, size_t) noexcept { Release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Release(block); }
