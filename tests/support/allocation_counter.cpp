#include "tests/support/allocation_counter.h"

#include <cstdlib>
#include <new>

namespace {

thread_local bool counting = false;
thread_local std::size_t allocations = 0;
thread_local long failAt = -1;
thread_local long seen = 0;

// True when this allocation should fail.
bool noteAllocation() {
  if (counting) ++allocations;
  if (failAt >= 0) {
    if (seen++ == failAt) {
      failAt = -1;
      return true;
    }
  }
  return false;
}

void* allocate(std::size_t size) {
  if (size == 0) size = 1;
  return std::malloc(size);
}

}  // namespace

namespace vt::test {

AllocationCounter::AllocationCounter() {
  allocations = 0;
  counting = true;
}

AllocationCounter::~AllocationCounter() { counting = false; }

std::size_t AllocationCounter::count() const { return allocations; }

void failAllocationNumber(long number) {
  failAt = number;
  seen = 0;
}

}  // namespace vt::test

void* operator new(std::size_t size) {
  if (noteAllocation()) throw std::bad_alloc();
  void* p = allocate(size);
  if (!p) throw std::bad_alloc();
  return p;
}

void* operator new[](std::size_t size) { return operator new(size); }

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (noteAllocation()) return nullptr;
  return allocate(size);
}

void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }

void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
