#include "factory/instrument_recipe.h"

#include <memory>
#include <new>

#include "engine/parameter_defaults.h"
#include "engine/synth_engine.h"
#include "files/byte_stream.h"
#include "files/engine_loader.h"
#include "files/voice_record.h"

namespace vt {

namespace {

constexpr int kMultisampleSteps = 8;  // NumMultisamples x 8 counts the rows above the first

bool setCurve(BreakpointCurve& curve, const std::vector<CurvePoint>& points) {
  if (points.empty()) return true;
  curve.reset();
  for (const CurvePoint& p : points)
    if (!curve.add(p.x, p.y)) return false;
  return true;
}

bool copyVoiceInto(SynthEngine& engine, int slot, const VoiceSlot& voice) {
  const std::int64_t size = voiceRecordSize(voice);
  if (size <= 0 || size > ByteStream::kCapacity) return false;
  std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[static_cast<std::size_t>(size)]);
  if (!buffer) return false;
  ByteStream out;
  if (!out.openMemoryForWriting(buffer.get(), static_cast<std::int32_t>(size))) return false;
  const bool written = writeVoiceRecord(out, voice);
  const std::int32_t writtenSize = out.getPosition();
  out.close();
  if (!written) return false;
  ByteStream in;
  if (!in.openMemoryForReading(buffer.get(), writtenSize)) return false;
  const bool read = readVoiceInto(engine, slot, in);
  in.close();
  return read;
}

}  // namespace

bool buildInstrument(const InstrumentRecipe& recipe, const VoiceSlot* const voices[4], SynthEngine& engine) {
  float values[kNumParameters];
  fillParameterDefaults(values);
  for (const auto& setting : recipe.settings) {
    if (setting.first < 0 || setting.first >= kNumHostParameters) return false;
    values[setting.first] = setting.second;
  }
  for (int s = 0; s < kNumSlots; ++s) {
    if (!voices[s]) return false;
    values[NumMultisamplesA + s] = static_cast<float>(voices[s]->rowCount - 1) / kMultisampleSteps;
  }
  // In index order, as an instrument file applies them; the voices come after
  // the parameters, so their own loop settings and row counts stay.
  for (int i = 0; i < kNumHostParameters; ++i) engine.setParameter(i, values[i]);

  for (int c = 0; c < InstrumentRecipe::kMorphCurves; ++c)
    if (!setCurve(engine.morphEnvelope(c), recipe.morphCurves[c])) return false;
  if (!setCurve(engine.formantCurve(), recipe.formant)) return false;

  for (int s = 0; s < kNumSlots; ++s)
    if (!copyVoiceInto(engine, s, *voices[s])) return false;
  engine.setInstrumentName(recipe.name.c_str());
  return true;
}

}  // namespace vt
