// Note handling: starting, releasing and retuning voices.
#include "engine/synth_engine.h"

namespace vt {

void SynthEngine::noteOn(int /*note*/, float /*velocity*/) {}

void SynthEngine::noteOff(int /*note*/) {}

void SynthEngine::releaseAll() {}

void SynthEngine::pitchBend(int /*lsb*/, int /*msb*/) {}

}  // namespace vt
