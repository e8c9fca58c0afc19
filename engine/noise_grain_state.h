// Per-voice state of the noise overlap-add: the two grain buffers and their
// read positions. Reset at note-on; the render keeps the positions from block
// to block.
#pragma once

namespace vt {

struct NoiseGrainState {
  static constexpr int kBufferSize = 1024;  // longest grain

  float buffer1[kBufferSize];
  float buffer2[kBufferSize];
  int i1 = 0;
  int i2 = 0;

  NoiseGrainState() { reset(); }

  // Both positions 0 marks the first block of a note: the next render starts a grain.
  void reset() {
    for (int i = 0; i < kBufferSize; ++i) {
      buffer1[i] = 0.0f;
      buffer2[i] = 0.0f;
    }
    i1 = 0;
    i2 = 0;
  }
};

}  // namespace vt
