// The desktop's open-file dialog as a child process: zenity, else kdialog,
// found on PATH. The child prints the chosen path on its standard output and
// exits 0; any other exit is a cancel. The pipe is read without blocking at
// every poll, so the host's interface keeps running while the dialog is up.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform/file_chooser.h"

extern char** environ;

namespace vt {

namespace {

constexpr std::size_t kMaxOutput = 4096;

bool onPath(const char* program) {
  const char* path = std::getenv("PATH");
  if (!path) return false;
  std::string folders(path);
  std::size_t start = 0;
  while (start <= folders.size()) {
    std::size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    const std::string candidate = folders.substr(start, end - start) + "/" + program;
    if (end > start && access(candidate.c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

// "*.[wW][aA][vV]": the dialogs match patterns with case, import does not.
std::string anyCasePattern(const char* extension) {
  std::string pattern = "*.";
  for (const char* c = extension; *c; ++c) {
    const unsigned char ch = static_cast<unsigned char>(*c);
    if (std::isalpha(ch)) {
      pattern += '[';
      pattern += static_cast<char>(std::tolower(ch));
      pattern += static_cast<char>(std::toupper(ch));
      pattern += ']';
    } else {
      pattern += static_cast<char>(ch);
    }
  }
  return pattern;
}

class DesktopFileChooser : public FileChooser {
public:
  DesktopFileChooser(const char* dialogProgram, bool isZenity) : program(dialogProgram), zenity(isZenity) {}
  ~DesktopFileChooser() override { cancel(); }

  bool start(const FileRequest& request) override {
    if (child > 0) return false;
    char title[128];
    std::snprintf(title, sizeof(title), "Load %s File", request.extension);
    std::string patterns;
    for (int i = 0; i < request.patternCount; ++i) {
      if (i) patterns += ' ';
      patterns += anyCasePattern(request.patterns[i]);
    }
    const std::string label = std::string(request.extension) + " files";
    std::vector<std::string> args;
    if (zenity) {
      args = {program, "--file-selection", "--title", title, "--file-filter", label + " | " + patterns};
    } else {
      args = {program, "--title", title, "--getopenfilename", ".", patterns + "|" + label};
    }
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(&a[0]);
    argv.push_back(nullptr);

    int fds[2];
    if (pipe(fds) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    pid_t pid = 0;
    const int failed = posix_spawnp(&pid, program, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (failed != 0) {
      close(fds[0]);
      return false;
    }
    fcntl(fds[0], F_SETFL, fcntl(fds[0], F_GETFL) | O_NONBLOCK);
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    child = pid;
    output = fds[0];
    text.clear();
    return true;
  }

  State poll(char* path, std::size_t size) override {
    if (child <= 0) return State::Idle;
    drain();
    int status = 0;
    const pid_t done = waitpid(child, &status, WNOHANG);
    if (done == 0) return State::Running;
    drain();
    child = -1;
    closeOutput();
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    const bool chosen = done > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0 && !text.empty() &&
                        text.find('\n') == std::string::npos && path && text.size() < size;
    if (!chosen) return State::Cancelled;
    std::memcpy(path, text.c_str(), text.size() + 1);
    return State::Chosen;
  }

  void cancel() override {
    if (child > 0) {
      kill(child, SIGTERM);
      int status = 0;
      waitpid(child, &status, 0);
      child = -1;
    }
    closeOutput();
  }

private:
  void drain() {
    if (output < 0) return;
    char buffer[512];
    for (;;) {
      const ssize_t n = read(output, buffer, sizeof(buffer));
      if (n <= 0) break;
      if (text.size() + static_cast<std::size_t>(n) <= kMaxOutput) text.append(buffer, static_cast<std::size_t>(n));
    }
  }
  void closeOutput() {
    if (output >= 0) close(output);
    output = -1;
  }

  const char* program;
  bool zenity;
  pid_t child = -1;
  int output = -1;
  std::string text;
};

}  // namespace

FileChooser* createSystemFileChooser() {
  if (onPath("zenity")) return new (std::nothrow) DesktopFileChooser("zenity", true);
  if (onPath("kdialog")) return new (std::nothrow) DesktopFileChooser("kdialog", false);
  return nullptr;
}

}  // namespace vt
