// One playing note on one slot: the note's own blended copy of the slot's
// harmonic and noise parts, its envelope, oscillator phases, clocks, glide and
// bend. A morph group is four voices: the leader plays slot A and renders all
// four slots; its three followers hold the note's sets of slots B, C and D.
// Everything is allocated at construction; starting a note only copies and
// blends into the voice's own memory.
#pragma once

#include "engine/breakpoint_curve.h"
#include "engine/harmonic_set.h"
#include "engine/lfo.h"
#include "engine/noise_grain_state.h"
#include "engine/noise_set.h"

namespace vt {

class VoiceSlot;

class SynthVoice {
public:
  enum Mode { kSingleSlot = 0, kMorphLeader = 1, kMorphFollower = 2 };
  static constexpr int kCompanions = 3;  // followers of a leader: slots B, C, D
  static constexpr float kQuickFadeTime = 0.0005f;
  // A note that reaches its end time fades out over this much sound time instead of stopping dead.
  static constexpr float kEndFadeTime = 0.005f;
  // The release's four segments: fractions of the release time and the level reached.
  static constexpr int kReleasePoints = 5;
  static constexpr float kReleaseTimes[kReleasePoints] = {0.0f, 0.05f, 0.2283333f, 0.6066666f, 1.0f};
  static constexpr float kReleaseLevels[kReleasePoints] = {1.0f, 0.8f, 0.4f, 0.07f, 0.0f};
  static constexpr float kLowestVelocityLayer = 0.2519685f;  // velocity 32/127: soft layer only
  static constexpr float kVelocityLayerSpan = 0.7480315f;    // up to 127/127: loud layer only

  SynthVoice();

  SynthVoice(const SynthVoice&) = delete;
  SynthVoice& operator=(const SynthVoice&) = delete;

  // False when an allocation made at construction failed.
  bool valid() const;

  // The construction state: free, no slot, clocks and phases 0, note -1.
  void reset();

  // Starts the voice on 'target' (frequency in Hz, velocity 0..1). With a fixed
  // multisample (row >= 0) that row and layer are copied; otherwise the note's
  // sets are blended from the slot's rows by key and velocity. The envelope is the
  // slot's template scaled to peak at the velocity. Bend is kept.
  void start(VoiceSlot& target, int noteNumber, float noteFrequency, float noteVelocity, int fixedRow, int fixedLayer);
  // Takes the voice for a note without building its sound yet (a morph leader
  // before its followers exist): it counts as active and held.
  void claim(VoiceSlot& target, int noteNumber, float noteFrequency, float noteVelocity);

  // The note-off envelope: four segments from the current level to silence over
  // the slot's release time, starting at the envelope clock.
  void release();
  // Silence within 0.5 ms, for a stolen or retriggered voice. Like the rest of
  // the envelope it runs on the envelope clock, never on the (looping) sound position.
  void quickFade();

  // The activity test: frees a voice (and a leader's followers) whose envelope
  // (on the envelope clock) or sound has ended. A follower answers for its leader.
  bool updateActivity();

  // Sound position at which the note ends: the longest harmonic or noise part of
  // its slot (for a leader, of the group's four slots) times the time stretch.
  float endTime() const;
  // 1 until kEndFadeTime before the end time, then falling linearly to 0 at it.
  float endFade(float position) const;

  // Portamento towards f from the current pitch, over the slot's portamento time.
  void startGlide(float f);
  // Fundamental without detune, bend and vibrato at envelope time t.
  float basePitch(float t) const;
  // Fundamental in Hz at envelope time t: glide, slot detune, bend and vibrato.
  float pitch(float t) const;
  // Amplitude factor at envelope time t: envelope x velocity x part gain, with
  // tremolo. For noise the part gain is the slot's noise volume (a leader blends
  // the four slots' at nx, ny); for harmonics it is the slot's harmonic volume
  // for a single-slot voice and 1 for a leader (whose morph weights carry it).
  float gain(float t, bool noisePart, float nx, float ny);
  // The same with the slot volumes the render loop has reached at the start
  // (edge 0) or the end (edge 1) of the sub-block being rendered.
  float gainAt(float t, bool noisePart, float nx, float ny, int edge);

  // Frees the voice and, for a leader, its followers.
  void free();

  VoiceSlot* slot = nullptr;
  HarmonicSet harmonics{false};  // every curve owns its time axis: blended curves differ in their times
  NoiseSet noise;
  NoiseGrainState grains;
  BreakpointCurve envelope;
  float phases[HarmonicSet::kHarmonics] = {};
  float soundPosition = 0.0f;  // seconds of sound time, wrapped by the loop while held
  float envelopeClock = 0.0f;  // seconds since note-on, never wrapped
  bool held = false;
  bool active = false;
  bool fading = false;  // quick fade under way: no longer counted by the voice limiter
  float frequency = 0.0f;
  float sampleRate = HarmonicSet::kDefaultSampleRate;
  int note = -1;
  float velocity = 0.0f;
  float bendCents = 0.0f;
  int mode = kSingleSlot;
  SynthVoice* companions[kCompanions] = {};
  SynthVoice* leader = nullptr;
  BreakpointCurve pitchCurve;
  BreakpointCurve amplitudeCurve;
  BreakpointCurve alignedMarkers;
  float glideFrom = 0.0f;
  float glideTo = 0.0f;
  float glideStart = 0.0f;
  float glideEnd = 0.0f;
  bool gliding = false;

private:
  void buildSound(VoiceSlot& target, int fixedRow, int fixedLayer);
  void blendSound(VoiceSlot& target);
  // Removes the envelope points after t, making room for 'needed' more points.
  void cutEnvelopeAfter(float t, int needed);
  bool soundEnded() const;
  float gainWith(float t, bool noisePart, float nx, float ny, int edge);
};

}  // namespace vt
