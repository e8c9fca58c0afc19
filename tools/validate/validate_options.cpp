#include "tools/validate/validate_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace vt::validate {

namespace {

bool parseSeed(const std::string& text, std::uint32_t& value) {
  if (text.empty() || text[0] == '-') return false;
  errno = 0;
  char* end = nullptr;
  const unsigned long long parsed = std::strtoull(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || parsed > 0xffffffffull) return false;
  value = static_cast<std::uint32_t>(parsed);
  return true;
}

bool parseSeconds(const std::string& text, double& value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const double parsed = std::strtod(text.c_str(), &end);
  if (errno != 0 || *end != '\0' || !std::isfinite(parsed) || parsed < 0.0 || parsed > ValidateOptions::kMaxSeconds)
    return false;
  value = parsed;
  return true;
}

}  // namespace

const char* validateUsage() {
  return "usage: vt7000-validate MODULE [options]\n"
         "Loads a VST 2 instrument module and puts it through host-like abuse, one line per\n"
         "scenario, then \"N passed, N failed\". Exits 1 when any scenario failed.\n"
         "  --seed N       seed of every random choice (default 1); a failure names its round\n"
         "  --seconds S    time budget shared by all scenarios (default 30); each runs at least once\n"
         "  --only NAME    run only this scenario (repeatable)\n"
         "  --list         print the scenario names\n";
}

bool parseValidateOptions(const std::vector<std::string>& arguments, ValidateOptions& options, std::string& error) {
  options = ValidateOptions();
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      options.help = true;
      continue;
    }
    if (argument == "--list") {
      options.list = true;
      continue;
    }
    if (argument == "--report-to-parent") {
      options.reportToParent = true;
      continue;
    }
    if (argument.size() > 1 && argument[0] == '-') {
      if (i + 1 >= arguments.size()) {
        error = argument + " needs a value";
        return false;
      }
      const std::string& value = arguments[++i];
      bool valid = true;
      if (argument == "--seed") {
        valid = parseSeed(value, options.seed);
      } else if (argument == "--seconds") {
        valid = parseSeconds(value, options.seconds);
      } else if (argument == "--only") {
        valid = !value.empty();
        options.onlyScenarios.push_back(value);
      } else {
        error = "unknown option " + argument;
        return false;
      }
      if (!valid) {
        error = "invalid value '" + value + "' for " + argument;
        return false;
      }
      continue;
    }
    if (!options.modulePath.empty()) {
      error = "unexpected argument " + argument;
      return false;
    }
    options.modulePath = argument;
  }
  if (options.help || options.list) return true;
  if (options.modulePath.empty()) {
    error = "no plug-in module given";
    return false;
  }
  if (options.reportToParent && options.onlyScenarios.size() != 1) {
    error = "--report-to-parent runs exactly one --only scenario";
    return false;
  }
  return true;
}

}  // namespace vt::validate
