// Display names of the 128 MIDI notes: pitch name and octave, "C 4" for note
// 60, "G 9" for 127, and "N" as the octave of notes 0-11 ("C N").
#pragma once

namespace vt {

class NoteNameTable {
public:
  static constexpr int kNotes = 128;
  static constexpr int kNameSize = 4;  // three characters and the terminating zero

  NoteNameTable();

  // Name of a MIDI note; notes outside 0..127 are limited to that range.
  const char* name(int note) const;

private:
  char names[kNotes][kNameSize];
};

}  // namespace vt
