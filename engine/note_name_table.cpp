#include "engine/note_name_table.h"

#include <cstdio>

namespace vt {

namespace {

const char* const kPitchNames[12] = {"C ", "C#", "D ", "D#", "E ", "F ", "F#", "G ", "G#", "A ", "A#", "B "};

}  // namespace

NoteNameTable::NoteNameTable() {
  for (int n = 0; n < kNotes; ++n) {
    char octave[8];
    if (n < 12)
      std::snprintf(octave, sizeof(octave), "N");
    else
      std::snprintf(octave, sizeof(octave), "%d", n / 12 - 1);
    char joined[16];
    std::snprintf(joined, sizeof(joined), "%s%s", kPitchNames[n % 12], octave);
    for (int i = 0; i < kNameSize; ++i) names[n][i] = i < kNameSize - 1 ? joined[i] : 0;
  }
}

const char* NoteNameTable::name(int note) const {
  if (note < 0) note = 0;
  if (note >= kNotes) note = kNotes - 1;
  return names[note];
}

}  // namespace vt
