// One sine period in 200 steps plus a closing guard entry (201 floats),
// shared by every oscillator and LFO of the module: created by its first
// holder and freed when the last holder releases it.
#pragma once

namespace vt {

class SineTable {
public:
  static constexpr int kSteps = 200;

  // Entry i = sin(2*pi*i/200) for i = 0..200; null only when allocation failed.
  static const float* acquire();
  static void release();
};

}  // namespace vt
