// A validation scenario: a name, what it proves, and one round of it. The
// runner repeats rounds, each with a seed of its own, until the scenario's
// share of the time budget is spent (at least one round), and stops at the
// first failing round.
#pragma once

#include <cstdint>
#include <string>

#include "tools/render/plugin_module.h"
#include "tools/validate/validator_random.h"

namespace vt::validate {

struct RoundContext {
  const render::PluginModule& module;
  ValidatorRandom random;
  int round = 0;
  std::string failure;  // set by a failing round
  std::string note;     // what a passing scenario reports (the last round's)
};

struct Scenario {
  const char* name;
  // Null when the scenario runs everywhere; else false with the reason to skip.
  bool (*available)(std::string& whyNot);
  // One round: true when it passed, else false with context.failure set.
  bool (*round)(RoundContext& context);
};

// Every scenario, in the order they run.
const Scenario* scenarios(int& count);

// The scenarios' rounds (one file each).
bool churnRound(RoundContext& context);
bool rateAndBlockRound(RoundContext& context);
bool hostileParameterRound(RoundContext& context);
bool concurrentWriteRound(RoundContext& context);
bool hostTempoRound(RoundContext& context);
bool chunkRestoreRound(RoundContext& context);
bool audioAllocationRound(RoundContext& context);
bool audioAllocationAvailable(std::string& whyNot);
bool midiBurstRound(RoundContext& context);

}  // namespace vt::validate
