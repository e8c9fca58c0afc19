// vt7000-validate from the outside.
// - Against the built VT7000 module for the shortest budget (one round of
//   every scenario): the report's shape, not its verdicts. Whether every
//   scenario passes depends on the module's state of repair; the test checks
//   that each scenario reports exactly one line, that the closing line is
//   "N passed, N failed" with the counts of those lines, and that the exit
//   status follows the failures.
// - Against a small well-behaved test module: every scenario passes, and
//   with one fault switched on, the scenario meant to catch it fails and
//   says why (a crash included, which the validator survives).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct ValidatorRun {
  std::vector<std::string> lines;
  int status = -1;
};

ValidatorRun runValidator(const std::string& arguments, const std::string& fault = "") {
  ValidatorRun run;
  const std::string command = (fault.empty() ? "" : "VT7000_TEST_MODULE_FAULT=" + fault + " ") +
                              std::string(VT7000_VALIDATE_PATH) + " " + arguments + " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  std::string text;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0) text.append(buffer, n);
  const int raw = pclose(pipe);
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) run.lines.push_back(line);
  return run;
}

TEST(Validator, ReportsOneLinePerScenarioAndTheSummary) {
  const ValidatorRun names = runValidator("--list");
  ASSERT_EQ(names.status, 0);
  ASSERT_EQ(names.lines.size(), 8u);

  const ValidatorRun run = runValidator(std::string("'") + VT7000_MODULE_PATH + "' --seconds 0 --seed 5");
  ASSERT_EQ(run.lines.size(), names.lines.size() + 2) << "a heading, one line per scenario, the summary";
  EXPECT_EQ(run.lines.front().rfind("validating ", 0), 0u);
  int passed = 0, failed = 0;
  for (std::size_t i = 0; i < names.lines.size(); ++i) {
    const std::string& line = run.lines[i + 1];
    std::smatch match;
    ASSERT_TRUE(std::regex_match(line, match, std::regex("(PASS|FAIL|SKIP) +(\\S+) +\\S.*"))) << line;
    EXPECT_EQ(match[2].str(), names.lines[i]);
    passed += match[1] == "PASS" ? 1 : 0;
    failed += match[1] == "FAIL" ? 1 : 0;
    if (match[1] == "FAIL") {
      EXPECT_NE(line.find("round 1"), std::string::npos) << "a failure names its round";
    }
  }
  EXPECT_EQ(run.lines.back(), std::to_string(passed) + " passed, " + std::to_string(failed) + " failed");
  EXPECT_EQ(run.status, failed > 0 ? 1 : 0);
}

TEST(Validator, RefusesWhatItCannotValidate) {
  // No summary line when nothing was validated: a missing module, an unknown
  // scenario or a bad budget is a usage error (status 2).
  for (const char* arguments : {"/nonexistent/module.so", "--seconds -1 m.so", "--only nothing m.so", ""}) {
    const ValidatorRun run = runValidator(arguments);
    EXPECT_EQ(run.status, 2) << arguments;
    for (const std::string& line : run.lines) EXPECT_EQ(line.find(" passed, "), std::string::npos) << arguments;
  }
}

int failedCount(const ValidatorRun& run) {
  std::smatch match;
  if (run.lines.empty() || !std::regex_match(run.lines.back(), match, std::regex("(\\d+) passed, (\\d+) failed")))
    return -1;
  return std::stoi(match[2].str());
}

TEST(Validator, AWellBehavedModulePassesEveryScenario) {
  const ValidatorRun run = runValidator(std::string("'") + VT7000_TEST_MODULE_PATH + "' --seconds 2 --seed 11");
  std::string report;
  for (const std::string& line : run.lines) report += line + "\n";
  EXPECT_EQ(failedCount(run), 0) << report;
  EXPECT_EQ(run.status, 0) << report;
}

TEST(Validator, EachScenarioCatchesItsFault) {
  struct Case {
    const char* fault;
    const char* scenario;
    const char* expected;  // in the FAIL line
  };
  const Case cases[] = {
      {"alloc", "audio-allocations", "heap allocations on the audio thread"},
      {"crash", "churn", "crashed: signal"},
      {"sticky-nan", "hostile-parameters", "non-finite"},
      {"drop-late", "midi-bursts", "block"},
      {"shared-tempo", "host-tempo", "does not follow"},
  };
  for (const Case& c : cases) {
    const ValidatorRun run = runValidator(
        std::string("'") + VT7000_TEST_MODULE_PATH + "' --seconds 0 --seed 3 --only " + c.scenario, c.fault);
    std::string report;
    for (const std::string& line : run.lines) report += line + "\n";
    EXPECT_EQ(run.status, 1) << c.fault << "\n" << report;
    EXPECT_EQ(failedCount(run), 1) << c.fault << "\n" << report;
    ASSERT_GE(run.lines.size(), 3u) << report;
    const std::string& line = run.lines[1];
    EXPECT_EQ(line.rfind(std::string("FAIL ") + c.scenario, 0), 0u) << report;
    EXPECT_NE(line.find(c.expected), std::string::npos) << report;
  }
}

}  // namespace
