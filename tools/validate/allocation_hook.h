// Counting the heap allocations one thread makes while it is armed: the
// validator arms the audio thread around processEvents and processReplacing.
// On Linux the validator itself defines malloc and its relatives, so a module
// loaded beside it allocates through them (operator new ends in malloc too).
// Windows builds and sanitizer builds have no hooks.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vt::validate {

// False, with the reason, where this build cannot count allocations.
bool allocationHooksAvailable(const char** whyNot);

// Counting on the calling thread starts and stops.
void armAllocationCount();
void disarmAllocationCount();

// Allocations counted on armed threads since the last reset, and the size of
// the first of them.
std::uint64_t allocationsCounted();
std::size_t firstCountedAllocationSize();
void resetAllocationCount();

}  // namespace vt::validate
