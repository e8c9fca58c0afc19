// The parts of an instrument as a reader outside the audio thread sees them:
// the host-visible parameters and, for every other part, the content of a
// load not yet adopted where it has one, else the live content. The host
// chunk is written from it.
#pragma once

#include "engine/morph_positions.h"
#include "engine/parameter_ids.h"

namespace vt {

class BreakpointCurve;
class VoiceSlot;

struct InstrumentView {
  const char* name = "";
  float parameters[kNumHostParameters] = {};
  const BreakpointCurve* morphEnvelopes[kMorphEnvelopes] = {};
  const VoiceSlot* slots[kNumSlots] = {};
  const BreakpointCurve* formant = nullptr;
};

}  // namespace vt
