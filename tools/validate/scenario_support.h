// Small helpers the scenarios share: opening an instance, playing notes,
// wording a failure.
#pragma once

#include <cstdint>
#include <string>

#include "tools/validate/instance_under_test.h"
#include "tools/validate/midi_event_list.h"
#include "tools/validate/scenario.h"
#include "tools/validate/signal_stats.h"

namespace vt::validate {

constexpr double kDefaultRate = 44100.0;

// Creates and opens the instance (suspended); false with context.failure set.
bool openInstance(RoundContext& context, InstanceUnderTest& instance, double sampleRate, int maxBlockSize);

// Frames in 'seconds' at 'sampleRate', at least one.
std::int64_t framesIn(double seconds, double sampleRate);

// Adds 'count' note-ons at random keys (36..96), velocities and offsets in [0, frames).
void addRandomNotes(MidiEventList& list, ValidatorRandom& random, int count, int frames);
// All notes off and all sound off on every channel, at offset 0.
void addAllNotesOff(MidiEventList& list);

// Plays 'seconds': random notes at random block starts, every note released
// after a while, blocks of random sizes up to 'blockSize'. Output into 'stats'.
void playRandomly(InstanceUnderTest& instance, ValidatorRandom& random, double seconds, int blockSize,
                  SignalStats& stats);

// "non-finite output from sample N (0.52 s)" style wording, or "" when the
// stats are finite and bounded.
std::string badOutput(const SignalStats& stats, double sampleRate);

// Bitwise equality of two parameter lists (NaN equals itself), and the first difference.
bool sameParameters(const std::vector<float>& a, const std::vector<float>& b, int& firstDifference);

}  // namespace vt::validate
