#include "editor/display_binder.h"

#include "editor/control_registry.h"
#include "editor/frequency_curve_display.h"
#include "editor/harmonic_envelope_display.h"
#include "editor/harmonics_display.h"
#include "editor/morph_envelope_display.h"
#include "editor/morph_pad.h"
#include "editor/noise_envelope_display.h"
#include "editor/page_layout.h"
#include "engine/synth_engine.h"
#include "engine/voice_slot.h"

namespace vt {

namespace {

constexpr int kHarmonicsTag = 174;
constexpr int kHarmonicEnvelopeTag = 175;
constexpr int kNoiseSpectrumTag = 176;
constexpr int kNoiseEnvelopeTag = 177;
constexpr int kFormantTag = 178;
constexpr int kMorphEnvelopeTag = 179;
constexpr int kEnvelopeVariantTag = 180;
constexpr int kEditModeTag = 182;
constexpr int kFrequencyTag = 186;
constexpr int kSelectedTimeTag = 194;
constexpr int kMorphPadTag = 198;
constexpr int kMaxEditMode = 7;
constexpr float kLoopSeconds = 60.0f;

// The display with this tag on this page, as its kind; nullptr when there is none.
template <typename T>
T* displayOn(const ControlRegistry& registry, int tag, int page, ControlKind kind) {
  for (int i = registry.firstWithTag(tag); i >= 0; i = registry.at(i).next)
    if (registry.at(i).page == page && registry.at(i).kind == kind) return static_cast<T*>(registry.at(i).control);
  return nullptr;
}

int indexOf(float value, float scale, int highest) {
  const float scaled = value * scale;
  if (!(scaled > 0.0f)) return 0;
  const int i = static_cast<int>(scaled);
  return i > highest ? highest : i;
}

}  // namespace

DisplayBinder::DisplayBinder(const ControlRegistry& controls, DisplayEditBuffers& copies, SynthEngine& synth,
                             ParameterReader reader, void* readerContext)
    : registry(controls), buffers(copies), engine(synth), read(reader), context(readerContext) {}

int DisplayBinder::selectedRow(int voice) const {
  const int row = indexOf(value(MultisampleA + voice), 8.0f, 7);
  const int rows = engine.slot(voice).rowCount;
  return row < rows ? row : (rows > 0 ? rows - 1 : 0);
}

int DisplayBinder::softLoudIndex(int voice) const {
  return indexOf(value(SoftLoudButtonA + voice) * 2.0f + 0.5f, 1.0f, 2);
}

int DisplayBinder::selectedLayer(int voice) const { return softLoudIndex(voice) > 0 ? 1 : 0; }

int DisplayBinder::morphEnvelopeIndex() const {
  const int d = indexOf(value(MorphModeSelector) * 3.0f + 0.5f, 1.0f, 3);
  const int group = d == 1 ? 2 : (d == 3 ? 0 : 1);
  const int variant = value(kEnvelopeVariantTag) > 0.5f ? 1 : 0;
  return variant + 2 * group;
}

void DisplayBinder::rebindAll() {
  for (int v = 0; v < kNumSlots; ++v) rebindVoice(v);
  buffers.takeFormant(engine);
  if (auto* formant =
          displayOn<FrequencyCurveDisplay>(registry, kFormantTag, kEffectsPage, ControlKind::FormantCurveDisplay))
    formant->bind(&buffers.formant());
  rebindMorphPage();
}

void DisplayBinder::rebindVoice(int voice) {
  if (voice < 0 || voice >= kNumSlots || !buffers.valid()) return;
  if (!buffers.takeVoice(engine, voice, selectedRow(voice), selectedLayer(voice))) return;
  HarmonicSet* harmonics = &buffers.harmonics(voice);
  NoiseSet* noise = &buffers.noise(voice);
  if (auto* d = displayOn<HarmonicsDisplay>(registry, kHarmonicsTag, voice, ControlKind::HarmonicsDisplay))
    d->bind(harmonics);
  if (auto* d = displayOn<FrequencyCurveDisplay>(registry, kNoiseSpectrumTag, voice, ControlKind::NoiseSpectrumDisplay))
    d->bind(noise, 0);
  if (auto* d = displayOn<HarmonicEnvelopeDisplay>(registry, kHarmonicEnvelopeTag, voice,
                                                   ControlKind::HarmonicEnvelopeDisplay))
    d->bind(harmonics);
  if (auto* d = displayOn<NoiseEnvelopeDisplay>(registry, kNoiseEnvelopeTag, voice, ControlKind::NoiseEnvelopeDisplay))
    d->bind(noise);
  updateVoiceView(voice);
}

void DisplayBinder::rebindMorphPage() {
  buffers.takeMorphEnvelopes(engine);
  if (auto* d =
          displayOn<MorphEnvelopeDisplay>(registry, kMorphEnvelopeTag, kMorphPage, ControlKind::MorphEnvelopeDisplay))
    d->bind(&buffers.morphEnvelope(morphEnvelopeIndex()));
  updateViews();
}

void DisplayBinder::updateVoiceView(int voice) {
  HarmonicsView view;
  view.harmonicCount = value(NumHarmonicsA + voice) > 0.5f ? 64 : 32;
  view.editMode = indexOf(value(kEditModeTag + voice) * 8.0f + 0.001f, 1.0f, kMaxEditMode);
  view.frequency = value(kFrequencyTag + voice) > 0.5f;
  view.wholeEnvelope = !(value(kSelectedTimeTag + voice) > 0.5f);
  if (auto* d = displayOn<HarmonicsDisplay>(registry, kHarmonicsTag, voice, ControlKind::HarmonicsDisplay))
    d->setView(view);
  const int mode = indexOf(value(EnvelopeModeA + voice), 2.95f, 2);
  const VoiceSlot& slot = engine.slot(voice);
  LoopMarkers loop;
  loop.shown = value(GlobalLoopOn) > 0.5f;
  loop.start = slot.loopStart;
  loop.end = slot.loopEnd;
  if (auto* d = displayOn<HarmonicEnvelopeDisplay>(registry, kHarmonicEnvelopeTag, voice,
                                                   ControlKind::HarmonicEnvelopeDisplay)) {
    d->setEnvelopeMode(mode);
    d->setLoopMarkers(loop);
  }
  if (auto* d = displayOn<NoiseEnvelopeDisplay>(registry, kNoiseEnvelopeTag, voice, ControlKind::NoiseEnvelopeDisplay))
    d->setEnvelopeMode(mode);
}

void DisplayBinder::updateViews() {
  for (int v = 0; v < kNumSlots; ++v) updateVoiceView(v);
  const float selector = value(MorphModeSelector);
  const int d = indexOf(selector * 3.0f + 0.5f, 1.0f, 3);
  if (auto* envelope =
          displayOn<MorphEnvelopeDisplay>(registry, kMorphEnvelopeTag, kMorphPage, ControlKind::MorphEnvelopeDisplay)) {
    envelope->setGroup(d == 1 ? 2 : (d == 3 ? 0 : 1), d == 0);
    envelope->setVariant(value(kEnvelopeVariantTag) > 0.5f ? 1 : 0);
    envelope->setSync(value(GlobalSyncOn) > 0.5f);
    LoopMarkers loop;
    loop.shown = value(GlobalLoopOn) > 0.5f;
    loop.start = value(GlobalLoopStartTime) * kLoopSeconds;
    loop.end = value(GlobalLoopEndTime) * kLoopSeconds;
    envelope->setLoopMarkers(loop);
  }
  if (auto* pad = displayOn<MorphPad>(registry, kMorphPadTag, kMorphPage, ControlKind::MorphPad)) {
    pad->setMode(indexOf(selector, 3.99f, 3));
    pad->setLocked(indexOf(value(EnvelopeMorphOn), 1.99f, 1) != 0);
    for (int p = 0; p < MorphPad::kPairs; ++p)
      pad->setPair(p, value(MorphPad::parameterX(p)), value(MorphPad::parameterY(p)));
  }
}

bool DisplayBinder::applyEdit(const gui::Control* display, int page) {
  if (!display) return false;
  const int tag = display->getTag();
  if (tag == kFormantTag) return buffers.applyFormant(engine);
  if (tag == kMorphEnvelopeTag) return buffers.applyMorphEnvelope(engine, morphEnvelopeIndex());
  if (tag < kHarmonicsTag || tag > kNoiseEnvelopeTag || page < 0 || page >= kNumSlots) return false;
  return buffers.applyVoice(engine, page, softLoudIndex(page) == 2);
}

}  // namespace vt
