// Counts heap allocations made by the current thread while armed, and can make
// the Nth allocation fail, so tests can prove that the audio path never
// allocates and that allocation failures are handled.
#pragma once

#include <cstddef>

namespace vt::test {

class AllocationCounter {
public:
  AllocationCounter();   // starts counting on this thread
  ~AllocationCounter();  // stops counting
  std::size_t count() const;
};

// Makes the allocation with the given zero-based number (counted on this thread
// from the call on) fail; -1 disarms. Plain new then throws, nothrow new returns null.
void failAllocationNumber(long number);

}  // namespace vt::test
