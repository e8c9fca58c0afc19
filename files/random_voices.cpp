#include "files/random_voices.h"

#include <memory>
#include <new>

#include "engine/staged_load.h"
#include "engine/synth_engine.h"
#include "files/byte_stream.h"
#include "files/instrument_library.h"
#include "files/library_paths.h"
#include "files/random_voice_choice.h"
#include "files/voice_record.h"

namespace vt {

void EngineParameterWriter::writeParameter(int index, float value) { engine.setParameter(index, value); }

int randomVoices(SynthEngine& engine, const FolderLister& lister, const char* instrumentCategory,
                 RandomSource& random) {
  int loaded = 0;
  char root[kLibraryPathSize];
  std::unique_ptr<RandomVoiceChoice> choice(new (std::nothrow) RandomVoiceChoice());
  if (choice && voiceRoot(engine.getDataFolder(), lister.separator(), root, sizeof(root))) {
    choice->choose(lister, root, instrumentCategory, random);
    StagedLoad load(engine);
    for (int s = 0; load && s < kNumSlots; ++s) {
      ByteStream stream;
      if (!choice->hasPick(s) || !stream.openFileForReading(choice->path(s))) continue;
      VoiceReadProgress progress;
      if (readVoiceRecord(stream, load->stagedSlot(s), &progress)) ++loaded;
      noteVoiceRead(*load, s, progress);
      stream.close();
    }
  }
  const int category = instrumentCategoryNumber(instrumentCategory);
  RandomInstrumentGenerator generator(random);
  EngineParameterWriter writer(engine);
  generator.randomMorph(writer);
  generator.randomTone(writer, category);
  generator.randomEffects(writer, category);
  return loaded;
}

void randomMorph(SynthEngine& engine, RandomSource& random) {
  EngineParameterWriter writer(engine);
  RandomInstrumentGenerator(random).randomMorph(writer);
}

void randomTone(SynthEngine& engine, RandomSource& random) {
  EngineParameterWriter writer(engine);
  RandomInstrumentGenerator(random).randomTone(writer, InstrumentCategory::Any);
}

void randomEffects(SynthEngine& engine, RandomSource& random) {
  EngineParameterWriter writer(engine);
  RandomInstrumentGenerator(random).randomEffects(writer, InstrumentCategory::Any);
}

}  // namespace vt
