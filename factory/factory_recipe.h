// The factory library as a recipe: every factory voice and instrument is made
// from the descriptions here, so the library can be rebuilt byte for byte
// whenever the descriptions or the formats change.
//
//   <folder>/Veltrane7000Data/Voices/<Category>/<Voice>.v7v
//   <folder>/Veltrane7000Data/Instruments-Factory/<Category>/<Instrument>.v7i
//   <folder>/Reset.v7i
#pragma once

#include <string>
#include <vector>

#include "factory/instrument_recipe.h"
#include "factory/voice_recipe.h"

namespace vt {

// The voices of the voice library, in the order they are written.
std::vector<VoiceRecipe> factoryVoices();
// The voice of the reset instrument (not part of the voice library).
VoiceRecipe resetVoice();
// The instruments of the instrument library; their voices name factory voices.
std::vector<InstrumentRecipe> factoryInstruments();
// The neutral instrument behind the editor's reset command: construction
// defaults, one plain voice in every slot, slot A alone sounding.
InstrumentRecipe resetInstrument();

// Builds everything and writes it under 'folder' (created when missing).
// 'written' receives the path of every file written, relative to 'folder'
// with '/' separators. False, with a reason in 'error', when a voice or an
// instrument cannot be built or a file cannot be written.
bool writeFactoryLibrary(const std::string& folder, std::vector<std::string>* written, std::string* error);

}  // namespace vt
