#include "gui/x11/x11_error_trap.h"

#include <atomic>

namespace vt::gui {

namespace {
std::atomic<int> errorCount{0};

int recordError(Display*, XErrorEvent*) {
  errorCount.fetch_add(1, std::memory_order_relaxed);
  return 0;
}
}  // namespace

X11ErrorTrap::X11ErrorTrap(Display* d) : display(d) {
  // Set before anything reaches the server: even errors of requests queued
  // earlier on this connection must not reach the default handler.
  previous = XSetErrorHandler(recordError);
  previousCount = errorCount.load(std::memory_order_relaxed);
}

X11ErrorTrap::~X11ErrorTrap() {
  if (display) XSync(display, False);
  XSetErrorHandler(previous);
}

bool X11ErrorTrap::failed() {
  if (display) XSync(display, False);
  return errorCount.load(std::memory_order_relaxed) != previousCount;
}

}  // namespace vt::gui
