// A table of floats shared by every holder in the process: the first acquire
// allocates and fills it, the last release frees it. Holders come and go on
// construction and destruction only; the audio thread just reads a table it
// already holds, so the lock here never meets it.
#pragma once

#include <mutex>

namespace vt {

class SharedFloatTable {
public:
  using Fill = void (*)(float* table);

  SharedFloatTable(int size, Fill fill) : size(size), fill(fill) {}
  SharedFloatTable(const SharedFloatTable&) = delete;
  SharedFloatTable& operator=(const SharedFloatTable&) = delete;

  // The table, registering a holder; null without registering when it could
  // not be allocated (a later acquire tries again).
  const float* acquire();
  // Drops one hold; a release without a hold is ignored.
  void release();
  int holders();

private:
  const int size;
  const Fill fill;
  std::mutex mutex;
  float* table = nullptr;
  int holderCount = 0;
};

}  // namespace vt
