// One loaded voice (A, B, C or D): up to eight multisamples in a soft and a
// loud velocity layer, each a harmonic and a noise part, with the voice's
// playback settings, its sync markers and the per-row interpolation tables.
// After any change of a slot's content prepare() must run.
#pragma once

#include "engine/breakpoint_curve.h"
#include "engine/harmonic_set.h"
#include "engine/key_interpolation_cache.h"
#include "engine/noise_set.h"
#include "engine/relaxed_value.h"

namespace vt {

class VoiceSlot {
public:
  static constexpr int kRows = 8;    // multisamples, ascending base frequency
  static constexpr int kLayers = 2;  // 0 soft, 1 loud
  static constexpr int kNameSize = 64;
  static constexpr float kEnvelopeHoldTime = 1000000.0f;  // the envelope template's sustain end
  static constexpr float kMinimumAttack = 0.000001f;
  static constexpr float kDefaultMaxFrequency = 22050.0f;

  VoiceSlot();
  ~VoiceSlot();

  VoiceSlot(const VoiceSlot&) = delete;
  VoiceSlot& operator=(const VoiceSlot&) = delete;

  // False when an allocation made at construction failed.
  bool valid() const;

  // rowCount and layerCount limited to their ranges (1..8, 1..2).
  int rowsInUse() const;
  int layersInUse() const;

  // Empties every harmonic and noise set (before a voice is read in).
  void reset();

  // Prepares the sets of the rows in use, rebuilds each row's interpolation
  // table and the markers (which may move the loop points).
  void prepare();
  // True when more rows are in use than the last prepare() built tables for.
  bool needsPreparation() const { return rowsInUse() > preparedRows; }

  // True when t / timeStretch is past the duration of every set in use.
  bool hasEnded(float t) const;
  // The longest part of the sets in use: harmonic durations and the times of
  // the last noise frames, in seconds of recorded sound.
  float soundDuration() const;
  // Where a note of this slot ends: soundDuration() x timeStretch.
  float endTime() const;

  // Keeps the loop start inside the sound: a start past the loop end (or a
  // start or end beyond every sound in use) would send a held note beyond its
  // sound's end. Run by the loop fit and after the loop points are set alone.
  void limitLoopToSound();

  // Envelope template (0, 0), (attack, 1), (1000000, 1); attack <= 0 means 1 microsecond.
  void setEnvelope(float attack, float stretch, float release);

  void setSampleRate(float rate);

  // Rebuilds the five sync markers (start, attack, loop start, loop end, end)
  // from the summed amplitude of the middle row's loud layer and fits the loop.
  void rebuildMarkers();

  char name[kNameSize] = {};
  HarmonicSet harmonics[kRows][kLayers];
  NoiseSet noise[kRows][kLayers];
  // Set from parameters on the audio thread while other threads may copy the slot.
  RelaxedValue<bool> loopOn = false;
  float loopStart = 0.0f;  // seconds of sound time
  float loopEnd = 0.0f;
  RelaxedValue<int> rowCount = 1;
  int layerCount = 2;
  int preparedRows = 1;         // rows in use at the last prepare(): the rows whose tables exist
  const float* sine = nullptr;  // the shared sine table, for the slot's LFOs
  BreakpointCurve envelope;     // amplitude envelope template
  float vibratoRate = 0.0f;
  float vibratoDepth = 0.0f;
  float tremoloRate = 0.0f;
  float tremoloDepth = 0.0f;
  int vibratoShape = 0;  // 0 sine, 1 saw, 2 square
  int tremoloShape = 0;
  float detuneCents = 0.0f;
  bool portamentoOn = false;
  bool vibratoOn = false;
  bool tremoloOn = false;
  float portamentoTime = 0.0f;  // seconds
  float harmonicVolume = 1.0f;
  float noiseVolume = 1.0f;
  // The two volumes as the sub-block being rendered starts [0] and ends [1]:
  // the render loop glides them towards harmonicVolume and noiseVolume.
  float harmonicLevels[2] = {1.0f, 1.0f};
  float noiseLevels[2] = {1.0f, 1.0f};
  float releaseTime = 3.0f;  // seconds
  float timeStretch = 1.0f;  // 0.2..5
  float maxFrequency = kDefaultMaxFrequency;
  BreakpointCurve markers;
  KeyInterpolationCache keyCache[kRows];
};

}  // namespace vt
