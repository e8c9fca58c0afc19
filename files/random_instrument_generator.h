// The random instrument generator: random morph, tone and effect settings whose
// distributions depend on the instrument category (pads get slower attacks,
// organs never glide, ...). Every value goes to a ParameterWriter, which in the
// plug-in is the engine's parameter write path.
#pragma once

#include "engine/random_source.h"

namespace vt {

// Where the generator's values go, one parameter write at a time.
class ParameterWriter {
public:
  virtual void writeParameter(int index, float value) = 0;

protected:
  ~ParameterWriter() = default;
};

// Category numbers of the named instrument categories (see instrumentCategoryNumber).
struct InstrumentCategory {
  enum : int {
    Any = 0,
    Basses = 1,
    BrassWinds = 2,
    Chromatics = 3,
    Guitars = 4,
    Organs = 5,
    Pianos = 6,
    Strings = 7,
    SynthLeads = 8,
    SynthPads = 9,
    Voices = 10,
  };
};

class RandomInstrumentGenerator {
public:
  explicit RandomInstrumentGenerator(RandomSource& source) : random(source) {}

  // U: one draw scaled to 0..1.
  float unit();
  // a + draw * (b - a) / 32767.
  float uniform(float a, float b);
  // 1 when U < p, else 0.
  float chance(float p);
  // Normal deviate of mean m and deviation s by the polar method, limited to 0..1.
  float gauss(float m, float s);

  // Morph positions, linked (one X/Y for harmonics, noise and amplitude) or independent.
  void randomMorph(ParameterWriter& out);
  // Brightness, amounts, LFO, portamento, envelope and loop by category.
  void randomTone(ParameterWriter& out, int category);
  // Distortion, filter, chorus, delay and reverb by category; the formant filter off.
  void randomEffects(ParameterWriter& out, int category);

private:
  double draw() { return static_cast<double>(random.next()); }

  RandomSource& random;
};

}  // namespace vt
