// The root frequency of an imported sound: the header's base note, a note
// named at the end of the file name, or else the detected pitch.
#pragma once

#include "analysis/imported_audio.h"

namespace vt::analysis {

// The frequency of a note named by the eighth-, seventh- and sixth-last
// characters of 'path' (letter a-g in either case, then a blank, '#' or '_',
// then an octave digit: "g_2" is 98 Hz, "A 0" 27.5 Hz), or 0 when they name
// none. With "name.wav" these are the fourth to second characters before the dot.
float noteFrequencyFromFileName(const char* path);

// MIDI base note 0..127 -> the sound model's note frequency; otherwise the
// file-name note; otherwise detectPitch on the block.
float rootFrequencyFor(const ImportedAudio& audio, const char* path);

}  // namespace vt::analysis
