// The note whose frequency lies nearest to a root frequency, on the engine's
// note table: below note 0 gives 0, at or above note 127 gives 127, otherwise
// the first note at or above the frequency, lowered by one when the note
// below is closer. A frequency that is not a number gives 0.
#pragma once

namespace vt {

class NoteFrequencyTable;
class VoiceSlot;

int nearestNote(float frequency, const NoteFrequencyTable& notes);

// A multisample's root frequency: the first layer's base frequency if
// positive, else the second's (0 when neither is).
float multisampleRoot(const VoiceSlot& slot, int row);

}  // namespace vt
