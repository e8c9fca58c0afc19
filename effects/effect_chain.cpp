#include "effects/effect_chain.h"

#include <cstring>

namespace vt {

void EffectChain::setSampleRate(float rate) { sampleRate = rate; }

void EffectChain::reset() {}

void EffectChain::prepareBlock(const float* /*parameters*/) {}

void EffectChain::process(const float* /*parameters*/, float* x, float* y, int frames) {
  std::memcpy(y, x, sizeof(float) * static_cast<unsigned>(frames));
}

}  // namespace vt
