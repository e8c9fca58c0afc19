// MIDI bursts as careless hosts and controllers deliver them: many events in
// one block, in no particular order, some with offsets before the block or
// far past its end. Nothing may be lost: the same notes delivered in order
// with their offsets clamped into the block (the reference, played by a
// second instance) must sound about as loud, and once every note is
// released the output must fade as the reference's does (a lost note-off
// leaves a note hanging).
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <vector>

#include "tools/validate/scenario_support.h"

namespace vt::validate {

namespace {

constexpr int kBursts = 6;
constexpr int kMaxNewNotes = 6;
constexpr double kTailSeconds = 2.0;
constexpr double kTailWindowSeconds = 0.5;
// Loudness of the bursts against the reference: within this factor of energy (±3 dB).
constexpr double kEnergyFactor = 2.0;
// The tail may be this much above the reference's (energy), plus a floor.
constexpr double kTailFactor = 4.0;
constexpr double kTailFloorRms = 1e-4;

struct BurstEvent {
  int offset;  // as sent to the instance under test (may be out of range)
  int order;   // place in the reference's stable order
  std::uint8_t status, data1, data2;
};

int clampedOffset(int offset, int frames) { return std::clamp(offset, 0, frames - 1); }

// An offset outside [0, frames) now and then (before the block, or past it
// when 'late'), else one in [low, high].
int wildOffset(ValidatorRandom& random, int frames, int low, int high, bool late) {
  if (random.chance(0.35)) {
    static const int kFar[] = {INT_MIN, -100000, -1};
    static const int kPast[] = {0, 1, 100000, INT_MAX};
    if (late) {
      const int pick = kPast[random.below(4)];
      return pick == INT_MAX ? INT_MAX : frames + pick;
    }
    return kFar[random.below(3)];
  }
  return random.between(low, high);
}

}  // namespace

bool midiBurstRound(RoundContext& context) {
  ValidatorRandom& random = context.random;
  static const int kBlocks[] = {32, 64, 100, 256, 512, 1000};
  const int frames = kBlocks[random.below(6)];
  InstanceUnderTest tested, reference;
  if (!openInstance(context, tested, kDefaultRate, frames) || !openInstance(context, reference, kDefaultRate, frames))
    return false;
  tested.resume();
  reference.resume();

  MidiEventList testList, referenceList;
  SignalStats testStats, referenceStats;
  std::vector<int> pendingOffs;  // keys whose note-off comes in the next burst
  bool used[128] = {};
  int sent = 0;
  for (int burst = 0; burst < kBursts; ++burst) {
    std::vector<BurstEvent> events;
    // Note-offs held over from the last burst: their note-ons came in an earlier block.
    const std::vector<int> releasing = std::move(pendingOffs);
    pendingOffs.clear();
    for (int key : releasing)
      events.push_back(
          {wildOffset(random, frames, 0, frames - 1, random.chance(0.5)), 0, 0x80, static_cast<std::uint8_t>(key), 64});
    const int newNotes = random.between(2, kMaxNewNotes);
    for (int n = 0; n < newNotes; ++n) {
      int key = random.between(40, 90);
      while (used[key]) key = key == 90 ? 40 : key + 1;
      used[key] = true;
      // A note-on in the block (possibly before it) but not on its last
      // frame; its note-off strictly later in the block (possibly past it)
      // or in the next burst.
      const int on = wildOffset(random, frames, 0, frames - 2, false);
      events.push_back(
          {on, 0, 0x90, static_cast<std::uint8_t>(key), static_cast<std::uint8_t>(random.between(60, 127))});
      if (burst < kBursts - 1 && random.chance(0.5)) {
        pendingOffs.push_back(key);
      } else {
        const int off = wildOffset(random, frames, clampedOffset(on, frames) + 1, frames - 1, true);
        events.push_back({off, 0, 0x80, static_cast<std::uint8_t>(key), 64});
        used[key] = false;
      }
    }
    // Keys released in this burst are free again only now, so no new note
    // of this burst shares a key with a note-off of the last one.
    for (int key : releasing) used[key] = false;
    // Controllers among them (mod wheel), as a controller sweep would add.
    for (int c = random.between(0, 8); c > 0; --c)
      events.push_back({wildOffset(random, frames, 0, frames - 1, random.chance(0.5)), 0, 0xB0, 1,
                        static_cast<std::uint8_t>(random.below(128))});
    // The reference order: by clamped offset, stable; the tested order: shuffled.
    for (std::size_t i = 0; i < events.size(); ++i) events[i].order = static_cast<int>(i);
    std::vector<BurstEvent> ordered(events);
    std::stable_sort(ordered.begin(), ordered.end(), [frames](const BurstEvent& a, const BurstEvent& b) {
      return clampedOffset(a.offset, frames) < clampedOffset(b.offset, frames);
    });
    // A note's on and off in one block never share a clamped offset, so the
    // shuffle leaves their meaning unambiguous.
    std::vector<BurstEvent> shuffled(events);
    for (std::size_t i = shuffled.size(); i > 1; --i)
      std::swap(shuffled[i - 1], shuffled[static_cast<std::size_t>(random.below(static_cast<int>(i)))]);
    testList.clear();
    referenceList.clear();
    for (const BurstEvent& e : shuffled) testList.add(e.offset, e.status, e.data1, e.data2);
    for (const BurstEvent& e : ordered) referenceList.add(clampedOffset(e.offset, frames), e.status, e.data1, e.data2);
    sent += static_cast<int>(events.size());
    tested.render(frames, testList.events(), &testStats);
    reference.render(frames, referenceList.events(), &referenceStats);
    const int gap = random.between(2, 12);
    tested.renderFor(static_cast<std::int64_t>(gap) * frames, frames, &testStats);
    reference.renderFor(static_cast<std::int64_t>(gap) * frames, frames, &referenceStats);
  }
  const std::int64_t tail = framesIn(kTailSeconds, kDefaultRate);
  tested.renderFor(tail, frames, &testStats);
  reference.renderFor(tail, frames, &referenceStats);
  SignalStats testTail, referenceTail;
  const std::int64_t window = framesIn(kTailWindowSeconds, kDefaultRate);
  tested.renderFor(window, frames, &testTail);
  reference.renderFor(window, frames, &referenceTail);

  const std::string bad = badOutput(testStats, kDefaultRate);
  if (!bad.empty()) {
    context.failure = bad;
    return false;
  }
  char text[320];
  const double ratio = referenceStats.energy > 0.0 ? testStats.energy / referenceStats.energy : 1.0;
  if (referenceStats.energy > 0.0 && (ratio > kEnergyFactor || ratio < 1.0 / kEnergyFactor)) {
    std::snprintf(text, sizeof(text),
                  "block %d: the bursts (%d events, unsorted, offsets out of range) play at %+.1f dB against the "
                  "same events in order: events lost or misplaced",
                  frames, sent, 10.0 * std::log10(std::max(ratio, 1e-12)));
    context.failure = text;
    return false;
  }
  const double allowed = std::sqrt(kTailFactor) * referenceTail.rms() + kTailFloorRms;
  if (testTail.rms() > allowed) {
    std::snprintf(text, sizeof(text),
                  "block %d: %.1f s after every note was released the output is still at %.1f dBFS RMS "
                  "(the same events in order: %.1f dBFS): a note-off was lost, a note hangs",
                  frames, kTailSeconds, 20.0 * std::log10(std::max(testTail.rms(), 1e-12)),
                  20.0 * std::log10(std::max(referenceTail.rms(), 1e-12)));
    context.failure = text;
    return false;
  }
  std::snprintf(text, sizeof(text),
                "last round %d events in %d bursts, loudness %+.2f dB against the ordered reference", sent, kBursts,
                10.0 * std::log10(std::max(ratio, 1e-12)));
  context.note = text;
  return true;
}

}  // namespace vt::validate
