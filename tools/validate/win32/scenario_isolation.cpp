// Windows: the scenario runs in the validator's own process.
#include "tools/validate/scenario_runner.h"

namespace vt::validate {

ScenarioResult runIsolated(const Scenario& scenario, int scenarioIndex, const render::PluginModule& module,
                           std::uint32_t seed, double seconds) {
  return runRounds(scenario, scenarioIndex, module, seed, seconds, nullptr, nullptr);
}

}  // namespace vt::validate
