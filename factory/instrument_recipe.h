// A factory instrument: which voices sit in slots A-D, the parameter values
// that differ from the engine's construction defaults, and the morph-envelope
// and formant curves. buildInstrument puts all of it into an engine, the way
// an instrument file would, so that the instrument writer can store it.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace vt {

class SynthEngine;
class VoiceSlot;

struct CurvePoint {
  float x = 0.0f;
  float y = 0.0f;
};

struct InstrumentRecipe {
  static constexpr int kMorphCurves = 6;  // harmonic X/Y, noise X/Y, amplitude X/Y

  std::string name;
  std::string category;
  std::string voices[4];  // names of factory voices for slots A, B, C, D
  // Parameter index and value, applied over the construction defaults.
  std::vector<std::pair<int, float>> settings;
  // Morph-envelope curves (x seconds, y position); an empty list keeps the engine's curve.
  std::vector<CurvePoint> morphCurves[kMorphCurves];
  // Formant curve (x normalised frequency, y gain); empty keeps the flat default.
  std::vector<CurvePoint> formant;
};

// Loads the recipe into 'engine' (a freshly constructed one): parameters in
// index order, the four voices (copies of 'voices', through the voice record
// reader), the curves and the name. The multisample counts follow the voices.
// False when a voice is missing or a load fails.
bool buildInstrument(const InstrumentRecipe& recipe, const VoiceSlot* const voices[4], SynthEngine& engine);

// Puts a copy of 'voice' into the engine's slot through the voice record
// writer and reader, as a voice file would arrive. False when a step fails.
bool copyVoiceInto(SynthEngine& engine, int slot, const VoiceSlot& voice);

// Shared settings of the factory recipes.
constexpr float kNaturalSpeed = 0.5f;  // Stretch value of a time stretch of 1
// Delay lengths in sixteenth notes as DelaySyncL/R values.
constexpr float kDelayThreeSixteenths = 0.875f;
constexpr float kDelayFourSixteenths = 0.825f;
// LFO periods in sixteenth notes as LfoRate values.
constexpr float kLfoTwoSixteenths = 0.925f;
constexpr float kLfoFourSixteenths = 0.825f;

// An instrument of four voices at their natural speed, everything else at the construction defaults.
InstrumentRecipe instrument(const char* name, const char* category, const char* a, const char* b, const char* c,
                            const char* d);
// Slot A alone: no morph group, every pad in its corner.
void slotAOnly(InstrumentRecipe& r);
// A morph group between A and B along X; C and D wait along Y, silent while Y is 0.
void morphAlongX(InstrumentRecipe& r, float harmonic, float noise, float amplitude);
void reverb(InstrumentRecipe& r, float mix, float size, float decay);
void chorus(InstrumentRecipe& r, float mix, float depth, float rate);
void delay(InstrumentRecipe& r, float mix, float feedback);

}  // namespace vt
