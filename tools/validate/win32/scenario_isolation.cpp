// Windows: each scenario runs in a child process, the validator itself
// started again with --report-to-parent for that one scenario. The parent
// reads the child's report from a pipe; a crash (an exception code as exit
// status) or a hang becomes a failed scenario that names the round.
#include <windows.h>

#include <chrono>
#include <cstdio>

#include "tools/validate/scenario_runner.h"

namespace vt::validate {

namespace {

constexpr DWORD kCrashCodes = 0xC0000000u;  // exception codes of errors start here

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

ScenarioResult runIsolated(const Scenario& scenario, int scenarioIndex, const render::PluginModule& module,
                           const std::string& modulePath, std::uint32_t seed, double seconds) {
  char self[MAX_PATH + 1] = {};
  const DWORD selfLength = GetModuleFileNameA(nullptr, self, MAX_PATH);
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (selfLength == 0 || selfLength >= MAX_PATH || !CreatePipe(&readEnd, &writeEnd, &inherit, 0))
    return runRounds(scenario, scenarioIndex, module, seed, seconds, nullptr, nullptr);
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

  char budget[64];
  std::snprintf(budget, sizeof(budget), "%.17g", seconds);
  std::string command = quoted(self) + " " + quoted(modulePath) + " --report-to-parent --only " + scenario.name +
                        " --seed " + std::to_string(seed) + " --seconds " + budget;
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = writeEnd;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION child{};
  std::fflush(stdout);
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child)) {
    CloseHandle(readEnd);
    CloseHandle(writeEnd);
    return runRounds(scenario, scenarioIndex, module, seed, seconds, nullptr, nullptr);
  }
  CloseHandle(writeEnd);
  CloseHandle(child.hThread);

  using Clock = std::chrono::steady_clock;
  const double allowed = hangLimitSeconds(seconds);
  const Clock::time_point deadline =
      Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(allowed));
  std::string received;
  bool hung = false;
  for (;;) {
    char buffer[4096];
    DWORD available = 0;
    if (!PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr)) break;  // the child closed its end
    if (available > 0) {
      DWORD n = 0;
      if (!ReadFile(readEnd, buffer, sizeof(buffer), &n, nullptr) || n == 0) break;
      received.append(buffer, n);
      continue;
    }
    if (Clock::now() >= deadline) {
      hung = true;
      break;
    }
    Sleep(10);
  }
  CloseHandle(readEnd);
  if (hung) TerminateProcess(child.hProcess, 1);
  WaitForSingleObject(child.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(child.hProcess, &code);
  CloseHandle(child.hProcess);

  char ending[96];
  if (hung)
    std::snprintf(ending, sizeof(ending), "hung: no result after %.0f s", allowed);
  else if (code >= kCrashCodes)
    std::snprintf(ending, sizeof(ending), "crashed: exception 0x%08lX", static_cast<unsigned long>(code));
  else
    std::snprintf(ending, sizeof(ending), "the scenario process ended without a result, exit status %lu",
                  static_cast<unsigned long>(code));
  return resultFromReport(received, ending);
}

}  // namespace vt::validate
