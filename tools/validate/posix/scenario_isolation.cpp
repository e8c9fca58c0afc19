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

// Time a child may run past its share before it counts as hung.
constexpr double kHangGraceSeconds = 60.0;
constexpr double kHangGraceFactor = 2.0;

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
  writeAll(*static_cast<int*>(user), "R " + std::to_string(round) + " " + std::to_string(roundSeed) + "\n");
}

std::string oneLine(std::string text) {
  for (char& c : text)
    if (c == '\n' || c == '\r') c = ' ';
  return text;
}

}  // namespace

ScenarioResult runIsolated(const Scenario& scenario, int scenarioIndex, const render::PluginModule& module,
                           std::uint32_t seed, double seconds) {
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
    const char status = result.status == ScenarioResult::Status::Passed    ? 'P'
                        : result.status == ScenarioResult::Status::Skipped ? 'S'
                                                                           : 'F';
    writeAll(out, std::string(1, status) + " " + oneLine(result.detail) + "\n");
    ::close(out);
    // No destructors or exit handlers of the plug-in: the child only reports.
    ::_exit(0);
  }
  ::close(channel[1]);

  using Clock = std::chrono::steady_clock;
  const double allowed = seconds * kHangGraceFactor + kHangGraceSeconds;
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
    if (ready < 0 && errno == EINTR) continue;
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

  // The last round started and the final line, if any.
  std::string lastRound = "?", lastSeed = "?", final;
  std::size_t start = 0;
  while (start < received.size()) {
    std::size_t end = received.find('\n', start);
    if (end == std::string::npos) break;
    const std::string line = received.substr(start, end - start);
    start = end + 1;
    if (line.size() > 2 && line[0] == 'R') {
      const std::size_t space = line.find(' ', 2);
      lastRound = line.substr(2, space == std::string::npos ? std::string::npos : space - 2);
      lastSeed = space == std::string::npos ? "?" : line.substr(space + 1);
    } else if (line.size() >= 2 && (line[0] == 'P' || line[0] == 'F' || line[0] == 'S')) {
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
  const std::string where = "in round " + lastRound + " (round seed " + lastSeed + ")";
  if (hung) {
    char text[64];
    std::snprintf(text, sizeof(text), "%.0f", allowed);
    result.detail = std::string("no result after ") + text + " s " + where + ": hung";
  } else if (WIFSIGNALED(status)) {
    const int signal = WTERMSIG(status);
    const char* name = ::strsignal(signal);
    result.detail = "crashed " + where + ": signal " + std::to_string(signal) + " (" + (name ? name : "?") + ")";
  } else {
    result.detail = "the scenario process ended without a result " + where + ", exit status " +
                    std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  }
  return result;
}

}  // namespace vt::validate
