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

double hangLimitSeconds(double seconds) {
  constexpr double kGraceSeconds = 60.0;
  constexpr double kGraceFactor = 2.0;
  return seconds * kGraceFactor + kGraceSeconds;
}

std::string roundReportLine(int round, std::uint32_t roundSeed) {
  return "R " + std::to_string(round) + " " + std::to_string(roundSeed) + "\n";
}

std::string resultReportLine(const ScenarioResult& result) {
  const char status = result.status == ScenarioResult::Status::Passed    ? 'P'
                      : result.status == ScenarioResult::Status::Skipped ? 'S'
                                                                         : 'F';
  std::string detail = result.detail;
  for (char& c : detail)
    if (c == '\n' || c == '\r') c = ' ';
  return std::string(1, status) + " " + detail + "\n";
}

ScenarioResult resultFromReport(const std::string& report, const std::string& ending) {
  std::string lastRound = "?", lastSeed = "?", final;
  std::size_t start = 0;
  while (start < report.size()) {
    std::size_t end = report.find('\n', start);
    if (end == std::string::npos) end = report.size();
    std::string line = report.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > 2 && line[0] == 'R' && line[1] == ' ') {
      const std::size_t space = line.find(' ', 2);
      lastRound = line.substr(2, space == std::string::npos ? std::string::npos : space - 2);
      lastSeed = space == std::string::npos ? "?" : line.substr(space + 1);
    } else if (line.size() >= 2 && line[1] == ' ' && (line[0] == 'P' || line[0] == 'F' || line[0] == 'S')) {
      final = line;
    }
  }
  ScenarioResult result;
  if (!final.empty()) {
    result.status = final[0] == 'P'   ? ScenarioResult::Status::Passed
                    : final[0] == 'S' ? ScenarioResult::Status::Skipped
                                      : ScenarioResult::Status::Failed;
    result.detail = final.substr(2);
    return result;
  }
  result.status = ScenarioResult::Status::Failed;
  result.detail = ending + " in round " + lastRound + " (round seed " + lastSeed + ")";
  return result;
}

}  // namespace vt::validate
