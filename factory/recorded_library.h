// The factory library from recordings: voices analysed by vt7000-voice from
// single notes (factory/build_library.py makes them), put together into the
// instruments of recordedInstruments() with their levels matched in the engine.
//
//   <voices>/<Category>/<Voice>.v7v  ->  <out>/Veltrane7000Data/Voices/<Category>/<Voice>.v7v
//                                        <out>/Veltrane7000Data/Instruments-Factory/<Category>/<Name>.v7i
//                                        <out>/Reset.v7i
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "factory/instrument_recipe.h"

namespace vt {

class SynthEngine;

// The instruments; their voices name files of the voice folder by stem.
std::vector<InstrumentRecipe> recordedInstruments();

// Voices that hold their sound while the key is down; they loop.
bool isSustainedVoice(const std::string& name);

// Level targets: note 60 at velocity 100 held 2 s, and the chord C3-E3-G3-C4-E4 at velocity 127.
constexpr double kTargetNoteRmsDb = -18.0;
constexpr double kChordPeakCeilingDb = -1.2;  // a little under -1 dBFS

// RMS of note 60 at velocity 100 held 2 s (over those 2 s), and the peak of
// the chord at velocity 127 held 2 s (with 2 s of tail), in dBFS, rendered at
// 44.1 kHz. Each wants an engine fresh from loading: tails would count otherwise.
double noteRmsDb(SynthEngine& engine);
double chordPeakDb(SynthEngine& engine);

// The Volume value that brings a note measured at 'noteRmsDb' (at the default
// Volume 0.5) to the target, lowered so that the chord stays under the
// ceiling, at most 1.
float matchedVolume(double noteRmsDb, double chordPeakDb);

// Reads the voices under 'voicesFolder', builds every instrument and the reset
// instrument, matches levels and writes the library under 'out'. Prints the
// loudness table to 'table' when not null. False, with a reason, on failure.
bool writeRecordedLibrary(const std::string& voicesFolder, const std::string& out, std::FILE* table,
                          std::string* error);

}  // namespace vt
