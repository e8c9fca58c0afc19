#include "engine/pending_load.h"

namespace vt {

void PendingLoad::clear() {
  hasName = false;
  name[0] = 0;
  parameterCount = 0;
  earlierParameterCount = 0;
  olderLayoutFixups = false;
  for (int i = 0; i < kMorphEnvelopes; ++i) {
    hasMorphEnvelope[i] = false;
    morphEnvelopes[i].reset();
  }
  hasFormant = false;
  formantCurve.reset();
  for (int s = 0; s < kNumSlots; ++s) {
    slotChange[s] = KeepSlot;
    voiceHeaderFields[s] = 0;
  }
}

void PendingLoad::beginAddition() {
  earlierParameterCount = stagedParameterCount();
  parameterCount = 0;
}

bool PendingLoad::isEmpty() const {
  if (hasName || stagedParameterCount() > 0 || olderLayoutFixups || hasFormant) return false;
  for (bool has : hasMorphEnvelope)
    if (has) return false;
  for (SlotChange change : slotChange)
    if (change != KeepSlot) return false;
  return true;
}

}  // namespace vt
