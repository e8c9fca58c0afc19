// The one road every parameter write takes. Writers on any thread store the
// value in a host-visible array (what getParameter, the displays and the host
// chunk read) and mark its index pending; the audio thread takes the pending
// set at the start of a block and applies those values through the engine's
// write path, in index order. Storing and marking are single atomic
// operations: bounded, lock-free, without allocation, and no write is lost
// (a value written twice before a block is applied once, with its last value).
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/parameter_ids.h"

namespace vt {

class ParameterRoad {
public:
  static constexpr int kWordBits = 32;
  static constexpr int kWords = (kNumParameters + kWordBits - 1) / kWordBits;

  ParameterRoad() {
    for (auto& v : visible) v.store(0.0f, std::memory_order_relaxed);
    for (auto& w : pending) w.store(0, std::memory_order_relaxed);
  }
  ParameterRoad(const ParameterRoad&) = delete;
  ParameterRoad& operator=(const ParameterRoad&) = delete;

  // The host-visible value (index 0-244, checked by the caller).
  float value(int index) const { return visible[index].load(std::memory_order_acquire); }
  void store(int index, float v) { visible[index].store(v, std::memory_order_release); }

  // Marks the index pending after its value was stored.
  void markPending(int index) {
    pending[index / kWordBits].fetch_or(1u << (index % kWordBits), std::memory_order_acq_rel);
  }
  // Drops a pending mark (a load that supersedes the write).
  void clearPending(int index) {
    pending[index / kWordBits].fetch_and(~(1u << (index % kWordBits)), std::memory_order_acq_rel);
  }
  bool anyPending() const {
    for (const auto& w : pending)
      if (w.load(std::memory_order_acquire)) return true;
    return false;
  }

  // Takes every pending index and hands it with its current visible value to
  // apply(index, value), in ascending index order.
  template <class Apply>
  void drain(Apply&& apply) {
    for (int w = 0; w < kWords; ++w) {
      std::uint32_t bits = pending[w].exchange(0, std::memory_order_acq_rel);
      while (bits) {
        const int bit = lowestBit(bits);
        bits &= bits - 1;
        const int index = w * kWordBits + bit;
        apply(index, value(index));
      }
    }
  }

private:
  static int lowestBit(std::uint32_t bits) {
    int n = 0;
    while (!(bits & 1u)) {
      bits >>= 1;
      ++n;
    }
    return n;
  }

  std::atomic<float> visible[kNumParameters];
  std::atomic<std::uint32_t> pending[kWords];
};

}  // namespace vt
