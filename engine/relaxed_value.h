// A plain value that one thread writes while another may read it in passing:
// the audio thread sets a slot's loop switch and multisample count from
// parameters while a worker or the editor copies the slot to prepare or edit
// it. Relaxed atomic loads and stores (plain moves on x86), used like the value.
#pragma once

#include <atomic>

namespace vt {

template <typename T>
class RelaxedValue {
public:
  RelaxedValue(T v = T()) noexcept : value(v) {}  // NOLINT: used like the plain value
  RelaxedValue(const RelaxedValue& other) noexcept : value(other.load()) {}
  RelaxedValue& operator=(const RelaxedValue& other) noexcept {
    store(other.load());
    return *this;
  }
  RelaxedValue& operator=(T v) noexcept {
    store(v);
    return *this;
  }
  operator T() const noexcept { return load(); }  // NOLINT: used like the plain value

  T load() const noexcept { return value.load(std::memory_order_relaxed); }
  void store(T v) noexcept { value.store(v, std::memory_order_relaxed); }

private:
  std::atomic<T> value;
};

}  // namespace vt
