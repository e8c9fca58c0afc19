#include "engine/noise_scratch.h"

#include <mutex>
#include <new>

namespace vt {

namespace {

std::mutex scratchMutex;  // holders come and go on construction and destruction only
NoiseScratch* shared = nullptr;
int holders = 0;

}  // namespace

NoiseScratch* NoiseScratch::acquire() {
  std::lock_guard<std::mutex> lock(scratchMutex);
  if (!shared) {
    shared = new (std::nothrow) NoiseScratch();
    if (!shared) return nullptr;
  }
  ++holders;
  return shared;
}

void NoiseScratch::release() {
  std::lock_guard<std::mutex> lock(scratchMutex);
  if (holders <= 0) return;
  if (--holders == 0) {
    delete shared;
    shared = nullptr;
  }
}

}  // namespace vt
