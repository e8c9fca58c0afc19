#include "gui/platform_window.h"

#include <chrono>

namespace vt::gui {

unsigned long PlatformWindow::milliseconds() const {
  using namespace std::chrono;
  return static_cast<unsigned long>(
      duration_cast<std::chrono::milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace vt::gui
