// A factory voice described by a handful of musical numbers instead of a
// recording: the keys its multisamples sit on, the spectrum of its harmonics,
// how each harmonic rises, decays, holds and moves, and the noise that goes
// with it. buildVoice turns the description into a VoiceSlot with soft and loud
// layers, ready to be written as a voice record.
#pragma once

namespace vt {

class VoiceSlot;

// A spectral bump over frequency in Hz: 'gain' times a bell curve in octaves.
struct SpectralPeak {
  float centreHz = 1000.0f;
  float gain = 0.0f;          // added to 1 at the centre: 1 doubles the level there
  float widthOctaves = 0.5f;  // standard deviation of the bell, in octaves
};

// A partial of a sound whose overtones are not whole multiples of its
// fundamental (bars, bells, tines). It is stored on the harmonic whose number
// is nearest to the ratio; the ratio must lie within one of that number.
struct InharmonicPartial {
  float ratio = 1.0f;
  float level = 0.0f;
  float decayScale = 1.0f;  // the partial's decay time relative to the fundamental's
};

struct NoiseRecipe {
  float burstLevel = 0.0f;  // magnitude of the noise at the onset
  float burstTime = 0.03f;  // seconds in which the onset noise dies away
  float burstCentreHz = 3000.0f;
  float burstWidthOctaves = 2.0f;
  float sustainLevel = 0.0f;  // magnitude while the sound holds (follows the fundamental's envelope)
  float sustainCentreHz = 3000.0f;
  float sustainWidthOctaves = 2.0f;
};

struct VoiceRecipe {
  static constexpr int kMaxRows = 8;
  static constexpr int kMaxPeaks = 3;
  static constexpr int kMaxPartials = 8;

  const char* name = "";
  const char* category = "";

  // Multisamples: MIDI notes in ascending order, one row each.
  int rowNotes[kMaxRows] = {};
  int rowCount = 0;

  // Time shape. A sustained voice loops between loopStart and loopEnd while
  // the key is held and fades out after loopEnd; a decaying voice dies away by
  // 'duration' on its own.
  bool sustained = true;
  float duration = 3.0f;       // seconds; the last frame is silent
  float attack = 0.01f;        // seconds from silence to the peak of the fundamental
  float attackSpread = 0.0f;   // extra attack per octave of harmonic number (slower overtones)
  float decay = 0.3f;          // sustained: seconds from the peak to the sustain level;
                               // decaying: time constant of the fundamental, seconds
  float sustain = 0.7f;        // sustain level of the fundamental relative to its peak
  float sustainTilt = 0.0f;    // the sustain level is multiplied by this much less per octave of harmonic number
  float decayTilt = 0.5f;      // decaying: time constants shrink as (harmonic frequency ratio)^-decayTilt
  float decayKeyTrack = 0.3f;  // decaying: time constants shrink as (row frequency / 261.6 Hz)^-decayKeyTrack
  float loopStart = 1.0f;
  float loopEnd = 2.0f;
  float shimmer = 0.0f;        // depth of a slow amplitude movement inside the loop, per harmonic
  float shimmerCycles = 1.0f;  // whole periods of that movement within the loop

  // Harmonic spectrum (unless partials are given).
  float slope = 1.0f;      // level of harmonic k proportional to k^-slope
  float evenLevel = 1.0f;  // relative level of the even harmonics
  float softCutoffHz = 1500.0f;
  float loudCutoffHz = 4000.0f;
  float cutoffKeyTrack = 0.5f;  // cutoffs move as (row frequency / 261.6 Hz)^cutoffKeyTrack
  float cutoffOrder = 2.0f;     // steepness of the roll-off above the cutoff (2 = 12 dB per octave)
  SpectralPeak softPeaks[kMaxPeaks] = {};
  SpectralPeak loudPeaks[kMaxPeaks] = {};
  float inharmonicity = 0.0f;  // stiff-string stretch: ratio k x sqrt(1 + B k^2)
  float highestHz = 12000.0f;  // no partial is stored above this frequency

  // Inharmonic partials replace the harmonic spectrum when partialCount > 0;
  // the loud layer's partials above the first are 'loudOvertones' times louder.
  InharmonicPartial partials[kMaxPartials] = {};
  int partialCount = 0;
  float loudOvertones = 1.5f;

  // Pitch movement in cents, the same for every harmonic: the onset starts
  // 'scoopCents' away and settles after 'scoopTime'; inside the loop
  // the pitch drifts by up to 'driftCents' and comes back.
  float scoopCents = 0.0f;
  float scoopTime = 0.0f;  // seconds for the onset pitch to settle; 0 = the end of the attack
  float driftCents = 0.0f;

  NoiseRecipe noise;

  float level = 1.0f;      // overall level of the loud layer relative to the common reference
  float softLevel = 0.6f;  // the soft layer's level relative to the loud layer
};

// Fills 'slot' (rows, soft and loud layers, loop) from the recipe and prepares it.
// False when the recipe does not describe a voice the slot can hold.
bool buildVoice(const VoiceRecipe& recipe, VoiceSlot& slot);

}  // namespace vt
