#include "tools/voice/preview_render.h"

#include <cmath>
#include <memory>
#include <new>

#include "engine/synth_engine.h"
#include "files/byte_stream.h"
#include "files/engine_loader.h"

namespace vt::voice {

namespace {

constexpr int kBlockFrames = 512;
constexpr float kDetuneSpanCents = 400.0f;  // a detune control's whole range, centre 0.5
constexpr unsigned kNoiseSeed = 1;          // the same preview for the same input

}  // namespace

void noteForFrequency(double f0, int& note, double& cents) {
  note = 69;
  cents = 0.0;
  if (!(f0 > 0.0) || !std::isfinite(f0)) return;
  const NoteFrequencyTable table;
  double best = 1e300;
  for (int n = 0; n < NoteFrequencyTable::kNotes; ++n) {
    const double c = 1200.0 * std::log2(f0 / table.frequency(n));
    if (std::fabs(c) < std::fabs(best)) {
      best = c;
      note = n;
    }
  }
  cents = best;
}

std::vector<float> renderPreview(const std::uint8_t* voiceRecord, std::int32_t size, double f0,
                                 const analysis::ImportedAudio& audio, bool blended) {
  std::vector<float> out;
  const std::int64_t length = audio.sourceCount > 0 ? audio.sourceCount : audio.trimmedStart + audio.count;
  std::unique_ptr<SynthEngine> engine(new (std::nothrow) SynthEngine());
  if (!engine || !engine->constructedCompletely() || !(audio.sampleRate > 0.0f)) return out;
  engine->setSampleRate(audio.sampleRate);
  ByteStream stream;
  stream.openMemoryForReading(voiceRecord, size);
  const bool loaded = readVoiceInto(*engine, 0, stream);
  stream.close();
  if (!loaded) return out;

  int note = 69;
  double cents = 0.0;
  noteForFrequency(f0, note, cents);
  // Slot A alone at the pad's corner, nothing morphing, the sound's own time
  // scale, no attack; the effect switches are off from construction on.
  for (int p : {DoMorphing, MorphHarmX, MorphHarmY, MorphNoiseX, MorphNoiseY, MorphAmpX, MorphAmpY, Attack})
    engine->setParameter(p, 0.0f);
  engine->setParameter(Stretch, 0.5f);
  // Harmonics and noise at the level the analysis measured (slot volumes 1).
  engine->setParameter(HarmAmount, 1.0f);
  engine->setParameter(NoiseAmount, 1.0f);
  engine->setParameter(VoiceDetuneA, 0.5f + static_cast<float>(cents) / kDetuneSpanCents);
  if (!blended) {
    engine->setParameter(SoloButtonA, 1.0f);
    engine->setParameter(MultisampleA, 0.0f);
    engine->setParameter(SoftLoudButtonA, 0.0f);
  }
  engine->seedNoise(kNoiseSeed);
  const std::uint8_t noteOn[3] = {0x90, static_cast<std::uint8_t>(note), 127};
  engine->queueMessage(noteOn, 3, 0);

  out.assign(static_cast<std::size_t>(length > 0 ? length : 0), 0.0f);
  const float undo = audio.gain > 0.0f ? 1.0f / audio.gain : 1.0f;
  float left[kBlockFrames], right[kBlockFrames];
  for (std::int64_t done = audio.trimmedStart; done < length;) {
    const int n = static_cast<int>(length - done < kBlockFrames ? length - done : kBlockFrames);
    engine->render(left, right, n);
    for (int i = 0; i < n; ++i) out[static_cast<std::size_t>(done + i)] = left[i] * undo;
    done += n;
  }
  return out;
}

}  // namespace vt::voice
