// Instance create/destroy churn: several instances alive at once, each left
// at a different stage (only created, opened, resumed and playing), closed
// in an order unrelated to their creation, as hosts do when tracks are added,
// duplicated and removed.
#include <memory>
#include <vector>

#include "tools/validate/scenario_support.h"

namespace vt::validate {

namespace {

constexpr int kMinAlive = 2;
constexpr int kMaxAlive = 5;
enum class Stage { Created, Opened, Playing };

}  // namespace

bool churnRound(RoundContext& context) {
  ValidatorRandom& random = context.random;
  const int count = random.between(kMinAlive, kMaxAlive);
  std::vector<std::unique_ptr<InstanceUnderTest>> alive;
  for (int i = 0; i < count; ++i) {
    auto instance = std::make_unique<InstanceUnderTest>();
    std::string error;
    if (!instance->create(context.module, error)) {
      context.failure = "instance " + std::to_string(i + 1) + " of " + std::to_string(count) + ": " + error;
      return false;
    }
    const Stage stage = static_cast<Stage>(random.below(3));
    if (stage != Stage::Created) instance->open(kDefaultRate, 512);
    if (stage == Stage::Playing) {
      instance->resume();
      SignalStats stats;
      MidiEventList list;
      addRandomNotes(list, random, random.between(1, 4), 256);
      instance->render(256, list.events(), &stats);
      instance->renderFor(random.between(1, 8) * 256, 256, &stats);
      const std::string bad = badOutput(stats, kDefaultRate);
      if (!bad.empty()) {
        context.failure =
            "instance " + std::to_string(i + 1) + " played among " + std::to_string(alive.size()) + " others: " + bad;
        return false;
      }
    }
    alive.push_back(std::move(instance));
    // Now and then one goes before the others are all made.
    if (alive.size() > 1 && random.chance(0.3)) {
      const int victim = random.below(static_cast<int>(alive.size()));
      alive.erase(alive.begin() + victim);
    }
  }
  // The rest go in random order, some while still resumed (closing suspends first).
  while (!alive.empty()) {
    const int victim = random.below(static_cast<int>(alive.size()));
    alive.erase(alive.begin() + victim);
  }
  context.note = "instances made and closed at every stage, up to 5 alive at once";
  return true;
}

}  // namespace vt::validate
