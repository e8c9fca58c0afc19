// A change of the engine's sound prepared beside the live state: an instrument
// (name, parameters, curves, four voices), one voice, or one multisample's
// blocks. A loader fills it off the audio thread; the engine adopts it whole
// between two render blocks, in the order in which an instrument record holds
// its parts, so a playing voice never meets a half-written slot.
#pragma once

#include "engine/breakpoint_curve.h"
#include "engine/morph_positions.h"
#include "engine/parameter_ids.h"

namespace vt {

class VoiceSlot;

class PendingLoad {
public:
  static constexpr int kNameSize = 64;

  // What happens to a voice slot on adoption.
  enum SlotChange : int {
    KeepSlot,       // untouched
    ChangeHeader,   // only the voice header fields read (see VoiceHeaderField) are written
    ReplaceContent  // the staged slot's content replaces the live content
  };

  // Voice header fields, as bits of voiceHeaderFields.
  enum VoiceHeaderField : unsigned {
    VoiceName = 1u << 0,
    VoiceLoopOn = 1u << 1,
    VoiceLoopStart = 1u << 2,
    VoiceLoopEnd = 1u << 3,
    VoiceRowCount = 1u << 4,
    VoiceLayerCount = 1u << 5,
    VoiceMaxFrequency = 1u << 6,
  };

  PendingLoad() = default;

  PendingLoad(const PendingLoad&) = delete;
  PendingLoad& operator=(const PendingLoad&) = delete;

  // Nothing to adopt.
  void clear();
  bool isEmpty() const;
  // A further load adds to this one (taken back before its adoption): the
  // parameters staged so far stay and parameterCount starts again at 0, so
  // that the new loader's parameters can be told apart (see stagedParameterCount).
  void beginAddition();
  // Parameters 0..n-1 to adopt: those of this load and of the loads it adds to.
  int stagedParameterCount() const {
    return parameterCount > earlierParameterCount ? parameterCount : earlierParameterCount;
  }

  // The slot a loader reads into for live slot 'index' (0-3); it sets
  // slotChange[index]. Only slots the loader asked for exist (see
  // LoadExchange::provideSlots); in place, they are the live slots themselves.
  VoiceSlot& stagedSlot(int index) { return *staging[index]; }
  const VoiceSlot& stagedSlot(int index) const { return *staging[index]; }
  // Records what a loader did to slot 'index': the stronger change of this
  // load and the loads it adds to is kept, and the header fields add up.
  void noteSlotChange(int index, SlotChange change, unsigned headerFields) {
    if (change > slotChange[index]) slotChange[index] = change;
    voiceHeaderFields[index] |= headerFields;
  }
  bool hasStagedSlot(int index) const { return staging[index] != nullptr; }
  bool readsInPlace() const { return inPlace; }
  void useSlots(VoiceSlot* const slots[kNumSlots], bool liveSlots) {
    for (int s = 0; s < kNumSlots; ++s) staging[s] = slots[s];
    inPlace = liveSlots;
  }

  bool hasName = false;
  char name[kNameSize] = {};

  // Parameters 0..parameterCount-1 are written in ascending order through the
  // parameter write path; then, for a record of the older layout, Stretch = 0.5
  // and MorphAmpX/Y = the MorphHarmX/Y just written.
  int parameterCount = 0;
  int earlierParameterCount = 0;  // staged by the loads this one adds to
  float parameters[kNumHostParameters] = {};
  bool olderLayoutFixups = false;

  bool hasMorphEnvelope[kMorphEnvelopes] = {};
  BreakpointCurve morphEnvelopes[kMorphEnvelopes];
  bool hasFormant = false;
  BreakpointCurve formantCurve;

  SlotChange slotChange[kNumSlots] = {};
  unsigned voiceHeaderFields[kNumSlots] = {};

private:
  VoiceSlot* staging[kNumSlots] = {};
  bool inPlace = false;
};

}  // namespace vt
