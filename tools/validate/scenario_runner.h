// Runs one scenario's rounds within its time share and says how it went.
#pragma once

#include <cstdint>
#include <string>

#include "tools/render/plugin_module.h"
#include "tools/validate/scenario.h"

namespace vt::validate {

struct ScenarioResult {
  enum class Status { Passed, Failed, Skipped };
  Status status = Status::Failed;
  std::string detail;
};

// Told when a round starts, so a crash or hang can name it.
using RoundProgress = void (*)(void* user, int round, std::uint32_t roundSeed);

// Runs the rounds in this process: at least one, more while 'seconds' last,
// none after the first failure.
ScenarioResult runRounds(const Scenario& scenario, int scenarioIndex, const render::PluginModule& module,
                         std::uint32_t seed, double seconds, RoundProgress progress, void* user);

// Runs the rounds where a crash or hang of the plug-in cannot take the
// validator down (Linux: a child process, killed when it overruns the share
// by far); where that is not possible, in this process.
ScenarioResult runIsolated(const Scenario& scenario, int scenarioIndex, const render::PluginModule& module,
                           std::uint32_t seed, double seconds);

}  // namespace vt::validate
