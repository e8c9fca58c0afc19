// The write path's immediate actions: what each parameter write recomputes in
// the voice slots and effect units.
#include "engine/synth_engine.h"

namespace vt {

void SynthEngine::applyParameterAction(int index, float x) {
  if (applySlotParameterAction(index, x)) return;
  switch (index) {
    default:
      (void)x;  // stored only; the parts that use the value read it when they need it
      break;
  }
}

}  // namespace vt
