#include "factory/instrument_recipe.h"

#include <memory>
#include <new>

#include "engine/parameter_defaults.h"
#include "engine/parameter_ids.h"
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

}  // namespace

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

InstrumentRecipe instrument(const char* name, const char* category, const char* a, const char* b, const char* c,
                            const char* d) {
  InstrumentRecipe r;
  r.name = name;
  r.category = category;
  r.voices[0] = a;
  r.voices[1] = b;
  r.voices[2] = c;
  r.voices[3] = d;
  // Every factory sound plays at its own speed (the construction default
  // would run it five times faster and end held notes early).
  r.settings.push_back({Stretch, kNaturalSpeed});
  return r;
}

void slotAOnly(InstrumentRecipe& r) {
  r.settings.insert(r.settings.end(), {{DoMorphing, 0.0f},
                                       {MorphHarmX, 0.0f},
                                       {MorphHarmY, 0.0f},
                                       {MorphNoiseX, 0.0f},
                                       {MorphNoiseY, 0.0f},
                                       {MorphAmpX, 0.0f},
                                       {MorphAmpY, 0.0f}});
}

void morphAlongX(InstrumentRecipe& r, float harmonic, float noise, float amplitude) {
  r.settings.insert(r.settings.end(), {{DoMorphing, 1.0f},
                                       {MorphHarmX, harmonic},
                                       {MorphHarmY, 0.0f},
                                       {MorphNoiseX, noise},
                                       {MorphNoiseY, 0.0f},
                                       {MorphAmpX, amplitude},
                                       {MorphAmpY, 0.0f}});
}

void reverb(InstrumentRecipe& r, float mix, float size, float decay) {
  r.settings.insert(r.settings.end(), {{ReverbOn, 1.0f}, {ReverbMix, mix}, {ReverbSize, size}, {ReverbDecay, decay}});
}

void chorus(InstrumentRecipe& r, float mix, float depth, float rate) {
  r.settings.insert(r.settings.end(), {{ChorusOn, 1.0f}, {ChorusMix, mix}, {ChorusDepth, depth}, {ChorusRate, rate}});
}

void delay(InstrumentRecipe& r, float mix, float feedback) {
  r.settings.insert(r.settings.end(), {{DelayOn, 1.0f},
                                       {DelayMix, mix},
                                       {DelayFeedback, feedback},
                                       {DelaySyncL, kDelayThreeSixteenths},
                                       {DelaySyncR, kDelayFourSixteenths}});
}

}  // namespace vt
