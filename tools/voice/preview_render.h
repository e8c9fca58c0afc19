// The comparison rendering of an analysed voice: the voice played through the
// engine the way the original was recorded, so that the two can be laid side
// by side. Slot A alone, no morphing and no effects, no attack, velocity 127,
// at exactly the root frequency, at the original's sample rate; the silence
// that import cut from the start is put back and the import's normalisation
// undone, and the result is as long as the original.
#pragma once

#include <cstdint>
#include <vector>

#include "analysis/imported_audio.h"

namespace vt::voice {

// 'voiceRecord' is a voice record (one multisample, one layer) holding the
// analysis of 'audio' at root frequency f0 Hz. The note plays the record's
// first multisample as it is (slot A's multisample solo switch), or, with
// 'blended', through the key and velocity blend every note without the
// switch goes through. Empty when the record does not load or the engine
// cannot be built.
std::vector<float> renderPreview(const std::uint8_t* voiceRecord, std::int32_t size, double f0,
                                 const analysis::ImportedAudio& audio, bool blended = false);

// The MIDI note nearest f0 in the engine's note table and the detune in cents
// that moves it onto f0 (note 69 and 0 without a usable frequency).
void noteForFrequency(double f0, int& note, double& cents);

}  // namespace vt::voice
