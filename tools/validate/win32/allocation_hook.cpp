// Windows: the module's C runtime is linked into it statically, so there is no
// allocator the validator could stand in for; nothing is counted.
#include "tools/validate/allocation_hook.h"

namespace vt::validate {

bool allocationHooksAvailable(const char** whyNot) {
  if (whyNot) *whyNot = "the Windows build has no allocation hooks (the module links its own C runtime)";
  return false;
}

void armAllocationCount() {}
void disarmAllocationCount() {}
std::uint64_t allocationsCounted() { return 0; }
std::size_t firstCountedAllocationSize() { return 0; }
void resetAllocationCount() {}

}  // namespace vt::validate
