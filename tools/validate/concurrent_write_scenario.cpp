// A second thread writes parameters (and reads them and their display text,
// as a host's editor thread does) while the audio thread renders. Values
// are legal; the output must stay finite and bounded, and nothing may crash.
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

#include "tools/validate/scenario_support.h"

namespace vt::validate {

namespace {

// The audio thread plays slices until both minimums are reached (and stops
// at the maximum whatever the writer managed).
constexpr double kSliceSeconds = 0.05;
constexpr double kMinPlaySeconds = 0.6;
constexpr double kMaxPlaySeconds = 20.0;
constexpr long kMinWrites = 2000;
constexpr int kFocusedParameters = 4;

}  // namespace

bool concurrentWriteRound(RoundContext& context) {
  ValidatorRandom& random = context.random;
  InstanceUnderTest instance;
  const int block = random.between(16, 512);
  if (!openInstance(context, instance, kDefaultRate, block)) return false;
  const int count = instance.parameterCount();
  instance.resume();

  std::atomic<bool> stop{false};
  std::atomic<long> writes{0};
  const std::uint32_t writerSeed = static_cast<std::uint32_t>(random.uniform() * 4294967295.0);
  // Odd rounds write every parameter; even rounds hammer a few only, so each
  // of them changes often while blocks render.
  std::vector<int> targets;
  const int focus = context.round % 2 == 0 ? std::min(count, kFocusedParameters) : count;
  for (int i = 0; i < focus; ++i) targets.push_back(focus == count ? i : random.below(count));
  vst2::AEffect* effect = instance.effect();
  std::thread writer([&stop, &writes, &targets, effect, writerSeed] {
    ValidatorRandom own(writerSeed);
    char text[render::PluginHost::kTextBufferSize];
    const int choices = static_cast<int>(targets.size());
    while (!stop.load(std::memory_order_relaxed) && choices > 0) {
      const int index = targets[static_cast<std::size_t>(own.below(choices))];
      if (effect->setParameter) effect->setParameter(effect, index, static_cast<float>(own.uniform()));
      writes.fetch_add(1, std::memory_order_relaxed);
      if (own.chance(0.25) && effect->getParameter) (void)effect->getParameter(effect, index);
      if (own.chance(0.05)) {
        text[0] = '\0';
        effect->dispatcher(effect, vst2::effGetParamDisplay, index, 0, text, 0.0f);
      }
      if (own.chance(0.03)) std::this_thread::yield();
    }
  });

  while (writes.load() == 0) std::this_thread::yield();
  SignalStats stats;
  double played = 0.0;
  while (played < kMaxPlaySeconds && (played < kMinPlaySeconds || writes.load() < kMinWrites)) {
    playRandomly(instance, random, kSliceSeconds, block, stats);
    played += kSliceSeconds;
  }
  stop.store(true);
  writer.join();

  const std::string bad = badOutput(stats, kDefaultRate);
  if (!bad.empty()) {
    std::string written = "all parameters";
    if (focus < count) {
      written = "parameters";
      for (int index : targets) written += " " + std::to_string(index) + " " + instance.parameterName(index);
    }
    context.failure =
        "while another thread wrote " + written + " (" + std::to_string(writes.load()) + " writes): " + bad;
    return false;
  }
  char text[128];
  std::snprintf(text, sizeof(text),
                "last round %ld writes to %d parameters from the second thread during %.2f s of audio", writes.load(),
                focus, played);
  context.note = text;
  return true;
}

}  // namespace vt::validate
