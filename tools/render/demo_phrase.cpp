#include "tools/render/demo_phrase.h"

#include <algorithm>
#include <cmath>

namespace vt::render {

namespace {

constexpr int kTicksPerQuarter = 480;
constexpr int kBar = 4 * kTicksPerQuarter;
constexpr int kEighth = kTicksPerQuarter / 2;
constexpr std::uint8_t kNoteOn = 0x90;
constexpr std::uint8_t kNoteOff = 0x80;
constexpr std::uint8_t kControlChange = 0xB0;
constexpr std::uint8_t kPitchBend = 0xE0;
constexpr std::uint8_t kModulationWheel = 1;
constexpr std::uint8_t kBrightnessController = 74;
constexpr int kBendCentre = 8192;
constexpr int kChordVelocity = 72;
constexpr int kMelodyVelocity = 100;

class PhraseBuilder {
public:
  void message(int tick, std::uint8_t status, int data1, int data2) {
    MidiEvent event;
    event.tick = static_cast<std::uint64_t>(tick);
    event.bytes[0] = status;
    event.bytes[1] = static_cast<std::uint8_t>(std::clamp(data1, 0, 127));
    event.bytes[2] = static_cast<std::uint8_t>(std::clamp(data2, 0, 127));
    event.size = 3;
    events.push_back(event);
  }
  void note(int start, int length, int key, int velocity) {
    message(start, kNoteOn, key, velocity);
    message(start + length, kNoteOff, key, 64);
  }
  void chord(int start, int length, std::initializer_list<int> keys) {
    for (int key : keys) note(start, length, key, kChordVelocity);
  }
  void bend(int tick, int amount) {
    const int value = std::clamp(kBendCentre + amount, 0, 16383);
    message(tick, kPitchBend, value & 0x7F, value >> 7);
  }
  // A controller moving in straight steps from 'from' to 'to'.
  void ramp(int start, int length, int steps, std::uint8_t controller, int from, int to) {
    for (int i = 0; i <= steps; ++i)
      message(start + length * i / steps, kControlChange, controller, from + (to - from) * i / steps);
  }

  std::vector<MidiEvent> events;
};

}  // namespace

MidiSequence demoPhrase() {
  PhraseBuilder b;
  // Harmony: Cmaj7, Am7, Dm7, G7, then Cmaj9 held.
  b.chord(0 * kBar, kBar, {48, 55, 59, 64});
  b.chord(1 * kBar, kBar, {45, 52, 55, 60});
  b.chord(2 * kBar, kBar, {50, 57, 60, 65});
  b.chord(3 * kBar, kBar, {43, 53, 59, 62});
  b.chord(4 * kBar, kBar + 2 * kTicksPerQuarter, {36, 52, 55, 59, 62});

  // Melody.
  const int q = kTicksPerQuarter;
  b.note(0, q, 76, kMelodyVelocity);
  b.note(q, kEighth, 74, kMelodyVelocity - 10);
  b.note(q + kEighth, kEighth, 76, kMelodyVelocity - 6);
  b.note(2 * q, 2 * q, 79, kMelodyVelocity);
  b.note(kBar, 3 * kEighth, 81, kMelodyVelocity);
  b.note(kBar + 3 * kEighth, kEighth, 79, kMelodyVelocity - 12);
  b.note(kBar + 2 * q, 2 * q, 76, kMelodyVelocity);
  const int descent[] = {77, 76, 74, 72};
  for (int i = 0; i < 4; ++i) b.note(2 * kBar + i * q, q, descent[i], kMelodyVelocity - 4 * i);
  b.note(3 * kBar, 2 * q, 71, kMelodyVelocity);
  b.note(3 * kBar + 2 * q, 2 * q, 74, kMelodyVelocity - 8);
  b.note(4 * kBar, kBar + 2 * q, 72, kMelodyVelocity);

  // A scoop into the long note of bar 2: start a whole tone low, glide up.
  const int scoop = kBar + 2 * q;
  for (int i = 0; i <= 8; ++i) b.bend(scoop + i * kEighth / 8, -4096 + 4096 * i / 8);
  // Vibrato on the last note, growing over two beats, then centred again.
  const int vibrato = 4 * kBar + q;
  for (int i = 0; i <= 48; ++i) {
    const double depth = 600.0 * i / 48.0;
    b.bend(vibrato + i * (2 * q) / 48, static_cast<int>(std::lround(depth * std::sin(i * 0.5235987755982988))));
  }
  b.bend(vibrato + 2 * q + kEighth, 0);

  // Modulation wheel swells over the first two bars and falls in the fourth;
  // the filter controller opens over the whole phrase.
  b.ramp(0, 2 * kBar, 32, kModulationWheel, 0, 100);
  b.ramp(3 * kBar, kBar, 16, kModulationWheel, 100, 0);
  b.ramp(0, 5 * kBar, 40, kBrightnessController, 40, 110);

  MidiSequence sequence;
  sequence.format = 0;
  sequence.trackCount = 1;
  sequence.ticksPerQuarter = kTicksPerQuarter;
  sequence.events = std::move(b.events);
  std::stable_sort(sequence.events.begin(), sequence.events.end(),
                   [](const MidiEvent& a, const MidiEvent& c) { return a.tick < c.tick; });
  sequence.tempoChanges.push_back(TempoChange{0, MidiSequence::kDefaultMicrosecondsPerQuarter});
  sequence.endTick = sequence.events.back().tick;
  return sequence;
}

}  // namespace vt::render
