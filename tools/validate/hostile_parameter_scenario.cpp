// Random automation of every parameter with values no host should send but
// some do: NaN, infinities, huge and negative numbers, denormals. Afterwards
// every parameter must read back finite, and once the host writes the
// original values back, clean playing must be finite and bounded: a bad
// value may not poison the sound for good.
#include <cfloat>
#include <cmath>
#include <limits>

#include "tools/validate/scenario_support.h"

namespace vt::validate {

namespace {

constexpr double kHostileSeconds = 0.3;
constexpr double kCleanSeconds = 1.0;

float hostileValue(ValidatorRandom& random) {
  static const float kValues[] = {std::numeric_limits<float>::quiet_NaN(),
                                  -std::numeric_limits<float>::quiet_NaN(),
                                  std::numeric_limits<float>::infinity(),
                                  -std::numeric_limits<float>::infinity(),
                                  FLT_MAX,
                                  -FLT_MAX,
                                  1e30f,
                                  -1e30f,
                                  1e6f,
                                  -1e6f,
                                  -1.0f,
                                  2.0f,
                                  1.0000001f,
                                  -0.0f,
                                  1e-40f,
                                  -1e-40f};
  const int count = sizeof(kValues) / sizeof(kValues[0]);
  const int pick = random.below(count + 2);
  if (pick < count) return kValues[pick];
  if (pick == count) return static_cast<float>(random.uniform(-10.0, 10.0));
  return static_cast<float>(random.uniform());  // an ordinary value in between
}

}  // namespace

bool hostileParameterRound(RoundContext& context) {
  ValidatorRandom& random = context.random;
  InstanceUnderTest instance;
  const int block = random.between(32, 1024);
  if (!openInstance(context, instance, kDefaultRate, block)) return false;
  const int count = instance.parameterCount();
  const std::vector<float> original = instance.parameters();
  instance.resume();

  // Hostile automation while notes play: every block writes some parameters;
  // a first sweep writes NaN to every parameter in turn, then values are drawn
  // from the hostile set.
  MidiEventList list;
  std::int64_t left = framesIn(kHostileSeconds, kDefaultRate);
  int sweep = 0;
  while (left > 0) {
    const int frames = static_cast<int>(std::min<std::int64_t>(left, random.between(1, block)));
    const int writes = random.between(1, 16);
    for (int w = 0; w < writes && count > 0; ++w) {
      const bool sweeping = sweep < count;
      const int index = sweeping ? sweep++ : random.below(count);
      instance.setParameter(index, sweeping ? std::numeric_limits<float>::quiet_NaN() : hostileValue(random));
      if (random.chance(0.2)) instance.pluginHost().requestText(vst2::effGetParamDisplay, index);
    }
    list.clear();
    if (random.chance(0.2)) addRandomNotes(list, random, random.between(1, 3), frames);
    instance.render(frames, list.events());  // anything may come out while the values are bad
    left -= frames;
  }
  while (sweep < count) instance.setParameter(sweep++, std::numeric_limits<float>::quiet_NaN());
  instance.render(1, nullptr);

  // Every parameter must read back finite (a host stores what it reads).
  int nonFinite = 0, firstNonFinite = -1;
  for (int i = 0; i < count; ++i) {
    if (std::isfinite(instance.getParameter(i))) continue;
    if (nonFinite++ == 0) firstNonFinite = i;
  }
  std::string failure;
  if (nonFinite > 0)
    failure = std::to_string(nonFinite) + " of " + std::to_string(count) +
              " parameters read back non-finite after hostile writes (the first: " + std::to_string(firstNonFinite) +
              " " + instance.parameterName(firstNonFinite) + ")";

  // The host writes the original values back; from here on the output must be clean.
  for (int i = 0; i < count; ++i) instance.setParameter(i, original[static_cast<std::size_t>(i)]);
  list.clear();
  addAllNotesOff(list);
  SignalStats clean;
  instance.render(1, list.events(), &clean);
  playRandomly(instance, random, kCleanSeconds, block, clean);
  std::string bad = badOutput(clean, kDefaultRate);
  if (!bad.empty())
    failure += (failure.empty() ? "" : "; ") +
               std::string("clean playing after NaN/Inf/out-of-range writes and the original values restored: ") + bad;
  // Then legal random values everywhere, which switches on units the
  // original state left off: state a bad value left in them shows now.
  if (bad.empty()) {
    for (int i = 0; i < count; ++i) instance.setParameter(i, static_cast<float>(random.uniform()));
    SignalStats legal;
    playRandomly(instance, random, kCleanSeconds, block, legal);
    bad = badOutput(legal, kDefaultRate);
    if (!bad.empty())
      failure += (failure.empty() ? "" : "; ") +
                 std::string("clean playing after NaN/Inf/out-of-range writes, then legal random values: ") + bad;
    clean.merge(legal);
  }
  if (!failure.empty()) {
    context.failure = failure;
    return false;
  }
  char text[96];
  std::snprintf(text, sizeof(text), "all %d parameters hit; clean playing peak %.3f", count,
                static_cast<double>(clean.peak));
  context.note = text;
  return true;
}

}  // namespace vt::validate
