#include "engine/note_frequency_table.h"

namespace vt {

namespace {

constexpr double kNoteZeroFrequency = 8.175798915636872;  // Hz, MIDI note 0
constexpr double kSemitone = 1.059463094359;

}  // namespace

NoteFrequencyTable::NoteFrequencyTable() {
  double f = kNoteZeroFrequency;
  for (int n = 0; n < kNotes; ++n) {
    frequencies[n] = static_cast<float>(f);
    f *= kSemitone;
  }
}

float NoteFrequencyTable::frequency(int note) const {
  if (note < 0) note = 0;
  if (note >= kNotes) note = kNotes - 1;
  return frequencies[note];
}

}  // namespace vt
