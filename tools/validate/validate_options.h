// The validator's command line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vt::validate {

struct ValidateOptions {
  static constexpr double kDefaultSeconds = 30.0;
  static constexpr double kMaxSeconds = 24.0 * 3600.0;

  std::string modulePath;
  std::uint32_t seed = 1;                  // --seed: every random choice follows from it
  double seconds = kDefaultSeconds;        // --seconds: time budget shared by all scenarios
  std::vector<std::string> onlyScenarios;  // --only NAME (repeatable): run just these
  bool list = false;                       // --list: print the scenario names and stop
  // --report-to-parent: run the one --only scenario and print the child's
  // report (see scenario_runner.h); how Windows builds isolate scenarios.
  bool reportToParent = false;
  bool help = false;
};

// Parses the arguments after the program name. False, with 'error' set, for an
// unknown option, a missing or malformed value, or a value out of range.
bool parseValidateOptions(const std::vector<std::string>& arguments, ValidateOptions& options, std::string& error);

const char* validateUsage();

}  // namespace vt::validate
