// The frequencies of the 128 MIDI notes in equal temperament, note 69 = 440 Hz.
#pragma once

namespace vt {

class NoteFrequencyTable {
public:
  static constexpr int kNotes = 128;

  NoteFrequencyTable();

  // Frequency in Hz of a MIDI note; notes outside 0..127 are limited to that range.
  float frequency(int note) const;
  float operator[](int note) const { return frequency(note); }

private:
  float frequencies[kNotes];
};

}  // namespace vt
