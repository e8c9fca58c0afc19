// Linux: malloc and its relatives defined here take precedence over the C
// library's for every module loaded into the validator (the dynamic linker
// searches the program first), and forward to the C library's own entry
// points. Only threads that armed themselves are counted, with nothing but a
// thread-local flag and atomics, so the hooks never allocate themselves.
#include "tools/validate/allocation_hook.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VT7000_VALIDATE_NO_HOOKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define VT7000_VALIDATE_NO_HOOKS 1
#endif
#endif

namespace {

thread_local bool armed = false;
std::atomic<std::uint64_t> counted{0};
std::atomic<std::size_t> firstSize{0};

inline void note(std::size_t size) {
  if (!armed) return;
  if (counted.fetch_add(1, std::memory_order_relaxed) == 0) firstSize.store(size, std::memory_order_relaxed);
}

}  // namespace

namespace vt::validate {

bool allocationHooksAvailable(const char** whyNot) {
#ifdef VT7000_VALIDATE_NO_HOOKS
  if (whyNot) *whyNot = "this sanitizer build has no allocation hooks (the sanitizer owns malloc)";
  return false;
#else
  if (whyNot) *whyNot = "";
  return true;
#endif
}

void armAllocationCount() { armed = true; }
void disarmAllocationCount() { armed = false; }
std::uint64_t allocationsCounted() { return counted.load(); }
std::size_t firstCountedAllocationSize() { return firstSize.load(); }
void resetAllocationCount() {
  counted.store(0);
  firstSize.store(0);
}

}  // namespace vt::validate

#ifndef VT7000_VALIDATE_NO_HOOKS

extern "C" {
// The C library's own allocator entry points (glibc).
void* __libc_malloc(std::size_t size);
void __libc_free(void* pointer);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void* __libc_valloc(std::size_t size);
void* __libc_pvalloc(std::size_t size);

__attribute__((visibility("default"))) void* malloc(std::size_t size) {
  note(size);
  return __libc_malloc(size);
}

__attribute__((visibility("default"))) void free(void* pointer) { __libc_free(pointer); }

__attribute__((visibility("default"))) void* calloc(std::size_t count, std::size_t size) {
  note(count * size);
  return __libc_calloc(count, size);
}

__attribute__((visibility("default"))) void* realloc(void* pointer, std::size_t size) {
  note(size);
  return __libc_realloc(pointer, size);
}

__attribute__((visibility("default"))) void* memalign(std::size_t alignment, std::size_t size) {
  note(size);
  return __libc_memalign(alignment, size);
}

__attribute__((visibility("default"))) void* aligned_alloc(std::size_t alignment, std::size_t size) {
  note(size);
  return __libc_memalign(alignment, size);
}

__attribute__((visibility("default"))) int posix_memalign(void** result, std::size_t alignment, std::size_t size) {
  if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0) return EINVAL;
  note(size);
  void* pointer = __libc_memalign(alignment, size);
  if (!pointer && size != 0) return ENOMEM;
  *result = pointer;
  return 0;
}

__attribute__((visibility("default"))) void* valloc(std::size_t size) {
  note(size);
  return __libc_valloc(size);
}

__attribute__((visibility("default"))) void* pvalloc(std::size_t size) {
  note(size);
  return __libc_pvalloc(size);
}
}

#endif
