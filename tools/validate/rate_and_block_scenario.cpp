// Sample rates from 22.05 to 192 kHz and maximum block sizes from 1 to 4096,
// odd sizes included; the host then passes any frame count up to the maximum
// in each call, and changes rate and size while suspended, as hosts do when
// the audio device changes.
#include "tools/validate/scenario_support.h"

namespace vt::validate {

namespace {

constexpr double kRates[] = {22050.0, 32000.0, 44100.0, 48000.0, 88200.0, 96000.0, 176400.0, 192000.0};
constexpr int kBlockSizes[] = {1, 2, 3, 7, 16, 63, 64, 100, 127, 128, 333, 511, 512, 997, 1024, 2047, 4095, 4096};
constexpr double kPlaySeconds = 0.12;

double pickRate(ValidatorRandom& random) { return kRates[random.below(sizeof(kRates) / sizeof(kRates[0]))]; }
int pickBlock(ValidatorRandom& random) { return kBlockSizes[random.below(sizeof(kBlockSizes) / sizeof(int))]; }

std::string where(double rate, int block) {
  return std::to_string(static_cast<int>(rate)) + " Hz, block " + std::to_string(block);
}

}  // namespace

bool rateAndBlockRound(RoundContext& context) {
  ValidatorRandom& random = context.random;
  InstanceUnderTest instance;
  double rate = pickRate(random);
  int block = pickBlock(random);
  if (!openInstance(context, instance, rate, block)) return false;
  constexpr int kConfigurations = 3;
  for (int i = 0; i < kConfigurations; ++i) {
    if (i > 0) {
      rate = pickRate(random);
      block = pickBlock(random);
      instance.reconfigure(rate, block);
    }
    instance.resume();
    SignalStats stats;
    playRandomly(instance, random, kPlaySeconds, block, stats);
    const std::string bad = badOutput(stats, rate);
    if (!bad.empty()) {
      context.failure = where(rate, block) + (i > 0 ? " (changed while suspended)" : "") + ": " + bad;
      return false;
    }
    instance.suspend();
  }
  context.note = "last: " + where(rate, block);
  return true;
}

}  // namespace vt::validate
