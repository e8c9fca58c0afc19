// Which MIDI controller drives which parameter: one controller number per
// parameter index (or none), filled by MIDI learn and kept for the lifetime
// of the instance. A controller is bound to at most one parameter.
#pragma once

#include "engine/parameter_ids.h"

namespace vt {

class MidiLearnMap {
public:
  static constexpr int kNone = -1;
  static constexpr int kControllers = 120;  // 0-119; 120-127 are channel mode messages

  MidiLearnMap() { clear(); }

  void clear() {
    for (int& c : controllerOf) c = kNone;
  }

  // Binds controller c to the parameter, removing it from any other parameter.
  // Only host parameters (0-172) are bound: the editor's command indices would
  // run file loads from the audio thread.
  void bind(int parameter, int controller) {
    if (parameter < 0 || parameter >= kNumHostParameters || controller < 0 || controller >= kControllers) return;
    for (int& c : controllerOf)
      if (c == controller) c = kNone;
    controllerOf[parameter] = controller;
  }

  // The parameter bound to controller c, or kNone.
  int parameterFor(int controller) const {
    for (int i = 0; i < kNumParameters; ++i)
      if (controllerOf[i] == controller) return i;
    return kNone;
  }

  int controllerFor(int parameter) const {
    return parameter >= 0 && parameter < kNumParameters ? controllerOf[parameter] : kNone;
  }

private:
  int controllerOf[kNumParameters];
};

}  // namespace vt
