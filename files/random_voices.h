// The random commands of the editor. Random voices loads four voices from the
// voice library, chosen by the selected instrument category, and then runs the
// morph, tone and effect randomisers with that category's number; the other
// three commands run one randomiser alone with category 0. Every value goes
// through the engine's parameter write path.
#pragma once

#include "engine/random_source.h"
#include "files/random_instrument_generator.h"
#include "platform/folder_enumeration.h"

namespace vt {

class SynthEngine;

// Writes the generator's values through the engine's parameter write path.
class EngineParameterWriter final : public ParameterWriter {
public:
  explicit EngineParameterWriter(SynthEngine& target) : engine(target) {}
  void writeParameter(int index, float value) override;

private:
  SynthEngine& engine;
};

// Voices from <data root>/Veltrane7000Data/Voices for the four slots (a slot
// whose pick cannot be read stays as it is), adopted together, then the three
// randomisers for the category's number. Returns how many slots got a voice.
int randomVoices(SynthEngine& engine, const FolderLister& lister, const char* instrumentCategory, RandomSource& random);

void randomMorph(SynthEngine& engine, RandomSource& random);
void randomTone(SynthEngine& engine, RandomSource& random);
void randomEffects(SynthEngine& engine, RandomSource& random);

}  // namespace vt
