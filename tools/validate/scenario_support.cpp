#include "tools/validate/scenario_support.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace vt::validate {

namespace {

constexpr int kLowestKey = 36;
constexpr int kHighestKey = 96;
constexpr std::uint8_t kControlChange = 0xB0;
constexpr std::uint8_t kAllSoundOff = 120;
constexpr std::uint8_t kAllNotesOff = 123;

}  // namespace

bool openInstance(RoundContext& context, InstanceUnderTest& instance, double sampleRate, int maxBlockSize) {
  std::string error;
  if (!instance.create(context.module, error)) {
    context.failure = "instance creation failed: " + error;
    return false;
  }
  instance.open(sampleRate, maxBlockSize);
  return true;
}

std::int64_t framesIn(double seconds, double sampleRate) {
  return std::max<std::int64_t>(1, static_cast<std::int64_t>(std::llround(seconds * sampleRate)));
}

void addRandomNotes(MidiEventList& list, ValidatorRandom& random, int count, int frames) {
  for (int i = 0; i < count; ++i)
    list.noteOn(random.below(frames), 0, random.between(kLowestKey, kHighestKey), random.between(40, 127));
}

void addAllNotesOff(MidiEventList& list) {
  for (int channel = 0; channel < 16; ++channel) {
    list.add(0, static_cast<std::uint8_t>(kControlChange | channel), kAllSoundOff, 0);
    list.add(0, static_cast<std::uint8_t>(kControlChange | channel), kAllNotesOff, 0);
  }
}

void playRandomly(InstanceUnderTest& instance, ValidatorRandom& random, double seconds, int blockSize,
                  SignalStats& stats) {
  constexpr int kMaxHeld = 24;
  int held[kMaxHeld];
  int heldCount = 0;
  MidiEventList list;
  std::int64_t left = framesIn(seconds, instance.sampleRate());
  const int noteEvery = std::max(1, static_cast<int>(instance.sampleRate() * 0.05));
  std::int64_t untilNote = 0;
  while (left > 0) {
    const int frames = static_cast<int>(std::min<std::int64_t>(left, random.between(1, blockSize)));
    list.clear();
    untilNote -= frames;
    if (untilNote <= 0) {
      untilNote = noteEvery * random.between(1, 6);
      if (heldCount > 0 && (heldCount == kMaxHeld || random.chance(0.5))) {
        const int which = random.below(heldCount);
        list.noteOff(random.below(frames), 0, held[which]);
        held[which] = held[--heldCount];
      } else {
        const int key = random.between(kLowestKey, kHighestKey);
        list.noteOn(random.below(frames), 0, key, random.between(40, 127));
        held[heldCount++] = key;
      }
    }
    instance.render(frames, list.events(), &stats);
    left -= frames;
  }
  list.clear();
  for (int i = 0; i < heldCount; ++i) list.noteOff(0, 0, held[i]);
  if (list.size() > 0) instance.render(1, list.events(), &stats);
}

std::string badOutput(const SignalStats& stats, double sampleRate) {
  if (stats.bounded()) return "";
  char verdict[160];
  stats.verdict(verdict, sizeof(verdict));
  char text[200];
  std::snprintf(text, sizeof(text), "%s (%.3f s)", verdict, static_cast<double>(stats.firstBadFrame) / sampleRate);
  return text;
}

bool sameParameters(const std::vector<float>& a, const std::vector<float>& b, int& firstDifference) {
  firstDifference = -1;
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    if (std::memcmp(&a[i], &b[i], sizeof(float)) != 0) {
      firstDifference = static_cast<int>(i);
      return false;
    }
  }
  if (a.size() != b.size()) {
    firstDifference = static_cast<int>(n);
    return false;
  }
  return true;
}

}  // namespace vt::validate
