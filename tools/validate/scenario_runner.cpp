#include "tools/validate/scenario_runner.h"

#include <chrono>

namespace vt::validate {

ScenarioResult runRounds(const Scenario& scenario, int scenarioIndex, const render::PluginModule& module,
                         std::uint32_t seed, double seconds, RoundProgress progress, void* user) {
  ScenarioResult result;
  std::string whyNot;
  if (scenario.available && !scenario.available(whyNot)) {
    result.status = ScenarioResult::Status::Skipped;
    result.detail = whyNot;
    return result;
  }
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline =
      Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  std::string note;
  int round = 0;
  do {
    ++round;
    const std::uint32_t roundSeed =
        ValidatorRandom::derive(seed, static_cast<std::uint32_t>(scenarioIndex), static_cast<std::uint32_t>(round));
    if (progress) progress(user, round, roundSeed);
    RoundContext context{module, ValidatorRandom(roundSeed), round, {}, {}};
    if (!scenario.round(context)) {
      result.status = ScenarioResult::Status::Failed;
      result.detail = "round " + std::to_string(round) + ": " + context.failure;
      return result;
    }
    note = context.note;
  } while (Clock::now() < deadline);
  result.status = ScenarioResult::Status::Passed;
  result.detail = std::to_string(round) + (round == 1 ? " round" : " rounds") + (note.empty() ? "" : "; " + note);
  return result;
}

}  // namespace vt::validate
