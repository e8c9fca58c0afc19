// vt7000-validate: puts a VST 2 instrument module through what real sessions
// do to it (instance churn, every rate and block size, hostile automation,
// writes from a second thread, host tempo for two instances, chunk restores
// while playing, allocations on the audio thread, disorderly MIDI) and prints
// one line per scenario and a closing "N passed, N failed".
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/render/plugin_module.h"
#include "tools/validate/scenario.h"
#include "tools/validate/scenario_runner.h"
#include "tools/validate/validate_options.h"

namespace {

using namespace vt::validate;

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

bool selected(const ValidateOptions& options, const char* name) {
  if (options.onlyScenarios.empty()) return true;
  for (const std::string& only : options.onlyScenarios)
    if (only == name) return true;
  return false;
}

void reportRoundToParent(void*, int round, std::uint32_t roundSeed) {
  std::fputs(roundReportLine(round, roundSeed).c_str(), stdout);
  std::fflush(stdout);
}

int run(const ValidateOptions& options) {
  int count = 0;
  const Scenario* all = scenarios(count);
  for (const std::string& only : options.onlyScenarios) {
    bool known = false;
    for (int i = 0; i < count; ++i) known = known || only == all[i].name;
    if (!known) {
      std::fprintf(stderr, "vt7000-validate: no scenario named %s (see --list)\n", only.c_str());
      return kExitUsage;
    }
  }
  vt::render::PluginModule module;
  std::string error;
  if (!module.load(options.modulePath, error)) {
    std::fprintf(stderr, "vt7000-validate: %s\n", error.c_str());
    return kExitUsage;
  }
  if (options.reportToParent) {
    for (int i = 0; i < count; ++i) {
      if (!selected(options, all[i].name)) continue;
      const ScenarioResult result =
          runRounds(all[i], i, module, options.seed, options.seconds, reportRoundToParent, nullptr);
      std::fputs(resultReportLine(result).c_str(), stdout);
      std::fflush(stdout);
    }
    return 0;
  }
  int chosen = 0;
  for (int i = 0; i < count; ++i) chosen += selected(options, all[i].name) ? 1 : 0;
  const double share = chosen > 0 ? options.seconds / chosen : 0.0;
  std::printf("validating %s: seed %u, %.1f s for %d scenarios\n", options.modulePath.c_str(), options.seed,
              options.seconds, chosen);
  std::fflush(stdout);

  int passed = 0, failed = 0;
  for (int i = 0; i < count; ++i) {
    if (!selected(options, all[i].name)) continue;
    const ScenarioResult result = runIsolated(all[i], i, module, options.modulePath, options.seed, share);
    const char* verdict = result.status == ScenarioResult::Status::Passed    ? "PASS"
                          : result.status == ScenarioResult::Status::Skipped ? "SKIP"
                                                                             : "FAIL";
    if (result.status == ScenarioResult::Status::Passed) ++passed;
    if (result.status == ScenarioResult::Status::Failed) ++failed;
    std::printf("%s %-19s %s\n", verdict, all[i].name, result.detail.c_str());
    std::fflush(stdout);
  }
  module.unload();
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed > 0 ? kExitFailed : 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  ValidateOptions options;
  std::string error;
  if (!parseValidateOptions(arguments, options, error)) {
    std::fprintf(stderr, "vt7000-validate: %s\n%s", error.c_str(), validateUsage());
    return kExitUsage;
  }
  if (options.help) {
    std::printf("%s", validateUsage());
    return 0;
  }
  if (options.list) {
    int count = 0;
    const Scenario* all = scenarios(count);
    for (int i = 0; i < count; ++i) std::printf("%s\n", all[i].name);
    return 0;
  }
  return run(options);
}
