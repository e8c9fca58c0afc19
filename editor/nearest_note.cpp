#include "editor/nearest_note.h"

#include "engine/note_frequency_table.h"
#include "engine/voice_slot.h"

namespace vt {

int nearestNote(float frequency, const NoteFrequencyTable& notes) {
  if (!(frequency >= notes[0])) return 0;  // also NaN
  const int last = NoteFrequencyTable::kNotes - 1;
  if (frequency >= notes[last]) return last;
  int k = 1;
  while (k < last && frequency > notes[k]) ++k;
  if (frequency - notes[k - 1] < notes[k] - frequency) --k;
  return k;
}

float multisampleRoot(const VoiceSlot& slot, int row) {
  if (row < 0 || row >= VoiceSlot::kRows) return 0.0f;
  const float first = slot.harmonics[row][0].baseFrequency;
  if (first > 0.0f) return first;
  const float second = slot.harmonics[row][1].baseFrequency;
  return second > 0.0f ? second : 0.0f;
}

}  // namespace vt
