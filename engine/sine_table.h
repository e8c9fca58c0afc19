// One sine period in kSteps table steps plus a closing guard entry, shared by
// every oscillator and LFO of the process. The first holder creates the table,
// the last one to release it frees it.
#pragma once

namespace vt {

class SineTable {
public:
  static constexpr int kSteps = 200;
  static constexpr int kSize = kSteps + 1;  // entry kSteps repeats entry 0 for interpolation

  // Registers a holder and returns the shared table (kSize floats), creating it
  // for the first holder. Returns null, without registering, only when the
  // table could not be allocated; a later acquire tries again.
  static const float* acquire();
  // Drops the hold of a successful acquire; the table is freed with the last
  // hold. A release without a hold is ignored.
  static void release();

  // Number of current holders.
  static int holders();
};

}  // namespace vt
