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
// validator down: in a child process, killed when it overruns its share by
// far (Linux: forked, the module already loaded; Windows: the validator
// started again for this one scenario with --report-to-parent).
ScenarioResult runIsolated(const Scenario& scenario, int scenarioIndex, const render::PluginModule& module,
                           const std::string& modulePath, std::uint32_t seed, double seconds);

// Seconds a child may run before it counts as hung.
double hangLimitSeconds(double seconds);

// What a child tells its parent: one "R <round> <seed>" line for each round
// it starts, then "P|F|S <detail>" (passed, failed, skipped).
std::string roundReportLine(int round, std::uint32_t roundSeed);
std::string resultReportLine(const ScenarioResult& result);
// The result a child reported; when its report has no result line, a
// failure saying how it ended ('ending', e.g. "crashed: signal 11") and in
// which round.
ScenarioResult resultFromReport(const std::string& report, const std::string& ending);

}  // namespace vt::validate
