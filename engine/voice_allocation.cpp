// Note handling: starting, releasing and retuning voices. A note takes one
// voice per audible slot, or one morph group of four voices (a leader on slot A
// and followers on B, C and D); at most 48 voices sound at once.
#include "engine/parameter_choice.h"
#include "engine/synth_engine.h"

namespace vt {

namespace {

constexpr float kPadEdgeLow = 0.01f;  // a pad position this close to an edge silences the far slots
constexpr float kPadEdgeHigh = 0.99f;
constexpr int kMorphGroupSize = 4;
constexpr int kBendCentre = 8192;
constexpr int kBendRangeSteps = 23;           // PitchbendRange 0..1 gives 1..24 semitones
constexpr float kBendScale = 0.00073529413f;  // 1/1360: full bend gives about 6 x the range
constexpr float kCentsPerSemitone = 100.0f;
constexpr int kSlotA = 0;

}  // namespace

bool SynthEngine::isActive(int index) {
  if (!voices || index < 0 || index >= kVoices) return false;
  return voices[index].updateActivity();
}

int SynthEngine::activeVoiceCount() {
  int count = 0;
  for (int i = 0; i < kVoices; ++i)
    if (isActive(i)) ++count;
  return count;
}

int SynthEngine::firstFreeVoice() {
  for (int i = 0; i < kVoices; ++i)
    if (!isActive(i)) return i;
  return -1;
}

void SynthEngine::fadeNoteOnSlot(int note, const VoiceSlot* slot) {
  for (int i = 0; i < kVoices; ++i) {
    SynthVoice& v = voices[i];
    if (v.active && v.note == note && v.slot == slot && !v.fading) v.quickFade();
  }
}

// While more than 48 voices sound, the held voice that has played longest fades
// (or, with none held, the one furthest into its sound). Fading voices no longer
// count: the four voices above the limit give them room to fade.
void SynthEngine::limitVoices() {
  for (int round = 0; round < kVoices; ++round) {
    int sounding = 0;
    for (int i = 0; i < kVoices; ++i)
      if (isActive(i) && !voices[i].fading) ++sounding;
    if (sounding <= kVoiceLimit) return;

    // "Played longest" is the time since note-on: a looping voice's sound
    // position jumps back and says nothing about its age.
    int victim = -1;
    float longest = 0.0f;
    for (int i = 0; i < kVoices; ++i) {
      const SynthVoice& v = voices[i];
      if (!v.active || v.fading || v.mode == SynthVoice::kMorphFollower || !v.held) continue;
      if (v.envelopeClock > longest) {
        longest = v.envelopeClock;
        victim = i;
      }
    }
    if (victim < 0) {
      for (int i = 0; i < kVoices; ++i) {
        const SynthVoice& v = voices[i];
        if (!v.active || v.fading || v.mode == SynthVoice::kMorphFollower) continue;
        if (victim < 0 || v.soundPosition > voices[victim].soundPosition) victim = i;
      }
    }
    if (victim < 0) return;
    SynthVoice& v = voices[victim];
    v.quickFade();
    if (v.mode == SynthVoice::kMorphLeader) {
      for (SynthVoice* c : v.companions)
        if (c) c->fading = true;  // silent with their leader
    }
  }
}

void SynthEngine::fixedMultisample(int slotIndex, int& row, int& layer) const {
  row = -1;
  layer = 0;
  if (!switchOn(params[SoloButtonA + slotIndex])) return;
  row = parameterChoice(params[MultisampleA + slotIndex], VoiceSlot::kRows);
  layer = switchOn(params[SoftLoudButtonA + slotIndex]) ? 1 : 0;
}

void SynthEngine::noteOn(int note, float velocity) {
  if (!voices) return;
  if (note < 0 || note >= NoteFrequencyTable::kNotes) return;
  const float f = noteFrequencies[note];
  lastNote = note;

  // Legato: with a key still down, every sounding voice glides to the new note.
  if (switchOn(params[PortamentoOn])) {
    bool anyHeld = false;
    for (int i = 0; i < kVoices; ++i)
      if (isActive(i) && voices[i].held) anyHeld = true;
    if (anyHeld) {
      for (int i = 0; i < kVoices; ++i)
        if (isActive(i)) voices[i].startGlide(f);
      return;
    }
  }

  if (switchOn(params[DoMorphing]))
    startMorphGroup(note, f, velocity);
  else
    startSingleSlotVoices(note, f, velocity);
  // New voices start without a glide (SynthVoice::claim clears it).
}

void SynthEngine::startMorphGroup(int note, float f, float velocity) {
  int free = 0;
  for (int i = 0; i < kVoices; ++i)
    if (!isActive(i)) ++free;
  if (free < kMorphGroupSize) return;

  fadeNoteOnSlot(note, &slots[kSlotA]);
  SynthVoice& leader = voices[firstFreeVoice()];
  // The leader holds its place while the followers are found; its sound is built last.
  leader.claim(slots[kSlotA], note, f, velocity);
  leader.mode = SynthVoice::kMorphLeader;
  limitVoices();

  for (int k = 1; k < kNumSlots; ++k) {
    fadeNoteOnSlot(note, &slots[k]);
    const int index = firstFreeVoice();
    if (index < 0) continue;  // four voices were free, so this does not happen
    SynthVoice& follower = voices[index];
    int row, layer;
    fixedMultisample(k, row, layer);
    follower.start(slots[k], note, f, velocity, row, layer);
    follower.mode = SynthVoice::kMorphFollower;
    follower.leader = &leader;
    leader.companions[k - 1] = &follower;
    limitVoices();
  }

  SynthVoice* followers[SynthVoice::kCompanions];
  for (int k = 0; k < SynthVoice::kCompanions; ++k) followers[k] = leader.companions[k];
  int row, layer;
  fixedMultisample(kSlotA, row, layer);
  leader.start(slots[kSlotA], note, f, velocity, row, layer);
  leader.mode = SynthVoice::kMorphLeader;
  for (int k = 0; k < SynthVoice::kCompanions; ++k) {
    leader.companions[k] = followers[k];
    if (!followers[k]) continue;
    followers[k]->leader = &leader;
    followers[k]->mode = SynthVoice::kMorphFollower;
    followers[k]->active = true;
    followers[k]->fading = false;
  }
}

void SynthEngine::startSingleSlotVoices(int note, float f, float velocity) {
  bool audible[kNumSlots] = {true, true, true, true};
  const float* p = params;
  if (p[MorphHarmX] <= kPadEdgeLow && p[MorphNoiseX] <= kPadEdgeLow) audible[1] = audible[3] = false;
  if (p[MorphHarmX] >= kPadEdgeHigh && p[MorphNoiseX] >= kPadEdgeHigh) audible[0] = audible[2] = false;
  if (p[MorphHarmY] <= kPadEdgeLow && p[MorphNoiseY] <= kPadEdgeLow) audible[2] = audible[3] = false;
  if (p[MorphHarmY] >= kPadEdgeHigh && p[MorphNoiseY] >= kPadEdgeHigh) audible[0] = audible[1] = false;

  for (int k = 0; k < kNumSlots; ++k) {
    if (!audible[k] || firstFreeVoice() < 0) continue;
    fadeNoteOnSlot(note, &slots[k]);
    const int index = firstFreeVoice();
    if (index < 0) continue;
    int row, layer;
    fixedMultisample(k, row, layer);
    voices[index].start(slots[k], note, f, velocity, row, layer);
    limitVoices();
  }
}

void SynthEngine::noteOff(int note) {
  if (!voices) return;
  if (switchOn(params[PortamentoOn])) {
    // Legato lines: only letting go of the last key played ends them.
    if (note != lastNote) return;
    for (int i = 0; i < kVoices; ++i)
      if (isActive(i) && !voices[i].fading) voices[i].release();
    return;
  }
  for (int i = 0; i < kVoices; ++i) {
    SynthVoice& v = voices[i];
    if (v.active && v.note == note && !v.fading) v.release();
  }
}

void SynthEngine::releaseAll() {
  if (!voices) return;
  for (int i = 0; i < kVoices; ++i)
    if (voices[i].active && !voices[i].fading) voices[i].release();
}

void SynthEngine::pitchBend(int lsb, int msb) {
  if (!voices) return;
  const int bend = msb * 128 + lsb - kBendCentre;  // -8192..8191
  // int(PitchbendRange x 23 + 1) semitones, limited to 1..24.
  const float steps = params[PitchbendRange] * kBendRangeSteps + 1.0f;
  int range = 1;
  if (steps >= static_cast<float>(kBendRangeSteps + 1))
    range = kBendRangeSteps + 1;
  else if (steps >= 1.0f)
    range = static_cast<int>(steps);
  const float cents = static_cast<float>(bend) * static_cast<float>(range) * kCentsPerSemitone * kBendScale;
  for (int i = 0; i < kVoices; ++i) voices[i].bendCents = cents;
}

}  // namespace vt
