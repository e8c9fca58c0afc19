// Linux: each scenario runs in a child process forked from the validator
// (the module is already loaded, no instance exists yet). The child reports
// round starts and its result through a pipe; the parent turns a crash or a
// hang into a failed scenario that names the round, and goes on.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "tools/validate/scenario_runner.h"

namespace vt::validate {

namespace {

void writeAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

void reportRound(void* user, int round, std::uint32_t roundSeed) {
  writeAll(*static_cast<int*>(user), roundReportLine(round, roundSeed));
}

}  // namespace

ScenarioResult runIsolated(const Scenario& scenario, int scenarioIndex, const render::PluginModule& module,
                           const std::string& /*modulePath*/, std::uint32_t seed, double seconds) {
  int channel[2];
  if (::pipe(channel) != 0) return runRounds(scenario, scenarioIndex, module, seed, seconds, nullptr, nullptr);
  std::fflush(stdout);
  std::fflush(stderr);
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(channel[0]);
    ::close(channel[1]);
    return runRounds(scenario, scenarioIndex, module, seed, seconds, nullptr, nullptr);
  }
  if (child == 0) {
    ::close(channel[0]);
    int out = channel[1];
    const ScenarioResult result = runRounds(scenario, scenarioIndex, module, seed, seconds, reportRound, &out);
    writeAll(out, resultReportLine(result));
    ::close(out);
    // No destructors or exit handlers of the plug-in: the child only reports.
    ::_exit(0);
  }
  ::close(channel[1]);

  using Clock = std::chrono::steady_clock;
  const double allowed = hangLimitSeconds(seconds);
  const Clock::time_point deadline =
      Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(allowed));
  std::string received;
  bool hung = false;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) {
      hung = true;
      break;
    }
    pollfd wait{channel[0], POLLIN, 0};
    const int ready = ::poll(&wait, 1, static_cast<int>(left > 1000 ? 1000 : left));
    if (ready <= 0) continue;
    char buffer[4096];
    const ssize_t n = ::read(channel[0], buffer, sizeof(buffer));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    received.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(channel[0]);
  if (hung) ::kill(child, SIGKILL);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }

  std::string ending;
  if (hung) {
    char text[64];
    std::snprintf(text, sizeof(text), "%.0f", allowed);
    ending = std::string("hung: no result after ") + text + " s";
  } else if (WIFSIGNALED(status)) {
    const int signal = WTERMSIG(status);
    const char* name = ::strsignal(signal);
    ending = "crashed: signal " + std::to_string(signal) + " (" + (name ? name : "?") + ")";
  } else {
    ending = "the scenario process ended without a result, exit status " +
             std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    ending += " (the sanitizer's report is on standard error)";
#endif
  }
  return resultFromReport(received, ending);
}

}  // namespace vt::validate
