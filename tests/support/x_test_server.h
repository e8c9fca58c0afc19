// An X display for the tests: a private Xvfb started with -displayfd (stopped
// at exit), so tests never touch the user's screen; without Xvfb, the display
// in DISPLAY if it answers. Tests skip when neither works.
#pragma once

#include <X11/Xlib.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace vt::gui::test {

class XTestServer {
public:
  static XTestServer& instance() {
    static XTestServer server;
    return server;
  }
  bool available() const { return ok; }
  // True when the display is the tests' own (pointer and keyboard may be driven).
  bool isPrivate() const { return child > 0 && ok; }

private:
  XTestServer() {
    if (access("/usr/bin/Xvfb", X_OK) != 0) {
      const char* d = std::getenv("DISPLAY");
      ok = d && *d && answers();
      return;
    }
    if (const char* d = std::getenv("DISPLAY")) previous = d;
    int fds[2];
    if (pipe(fds) != 0) return;
    child = fork();
    if (child == 0) {
      close(fds[0]);
      const std::string fd = std::to_string(fds[1]);
      execl("/usr/bin/Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
            "-noreset", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    if (child < 0) {
      close(fds[0]);
      return;
    }
    char number[32] = {};
    ssize_t n = 0, got = 0;
    while (got < static_cast<ssize_t>(sizeof(number)) - 1 &&
           (n = read(fds[0], number + got, sizeof(number) - 1 - static_cast<size_t>(got))) > 0) {
      got += n;
      if (number[got - 1] == '\n') break;
    }
    close(fds[0]);
    if (got <= 0) return;
    const std::string display = ":" + std::string(number, static_cast<size_t>(got - 1));
    setenv("DISPLAY", display.c_str(), 1);
    // One connection stays open: the server never resets between tests.
    keeper = XOpenDisplay(nullptr);
    ok = keeper != nullptr;
    if (!ok && previous.size()) setenv("DISPLAY", previous.c_str(), 1);
  }
  ~XTestServer() {
    if (keeper) XCloseDisplay(keeper);
    if (child > 0) {
      kill(child, SIGTERM);
      waitpid(child, nullptr, 0);
    }
  }
  static bool answers() {
    Display* d = XOpenDisplay(nullptr);
    if (!d) return false;
    XCloseDisplay(d);
    return true;
  }
  pid_t child = -1;
  Display* keeper = nullptr;
  std::string previous;
  bool ok = false;
};

}  // namespace vt::gui::test
