// A picture of an analysis result: the harmonic amplitude envelopes (dB over
// time, one coloured line per harmonic) above the noise spectrogram (band
// magnitudes in dB over time and frequency), as a PNG.
#pragma once

#include <vector>

#include "analysis/analyze_audio_file.h"

namespace vt::voice {

constexpr int kPlotWidth = 900;
constexpr int kPlotHeight = 640;

// The PNG file's bytes; empty when encoding fails.
std::vector<unsigned char> plotVoiceData(const analysis::VoiceData& data, double sampleRate);

}  // namespace vt::voice
