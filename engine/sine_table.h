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
  // for the first holder. Returns null only when the table could not be
  // allocated; the hold still counts, so every acquire is paired with one
  // release whatever it returned, and a later acquire tries again.
  static const float* acquire();
  // Drops one hold; the table is freed with the last. Extra releases are ignored.
  static void release();

  // Number of current holders.
  static int holders();
};

}  // namespace vt
