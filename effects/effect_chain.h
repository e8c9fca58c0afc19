// The effect units after the voice sum, in their processing order: brightness,
// distortion, filter, chorus (mono to stereo), tempo delay and reverb. Each
// unit runs only while its switch parameter is on.
#pragma once

namespace vt {

class EffectChain {
public:
  void setSampleRate(float rate);
  float getSampleRate() const { return sampleRate; }
  // Clears every unit's delay lines and filter memories.
  void reset();
  // Once per host block, before the first process call of the block.
  void prepareBlock(const float* parameters);
  // Processes the mono voice sum x in place and produces the stereo pair (x, y).
  void process(const float* parameters, float* x, float* y, int frames);

private:
  float sampleRate = 0.0f;  // 0 until the host announces a rate
};

}  // namespace vt
