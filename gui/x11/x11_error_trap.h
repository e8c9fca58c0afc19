// Traps X protocol errors for the duration of a scope: a temporary handler
// records them instead of letting Xlib's default handler end the host (a
// parent window the host destroyed before closing the editor must not kill
// it). The scope syncs before restoring the previous handler, so errors of the
// requests made inside it are seen inside it.
#pragma once

#include <X11/Xlib.h>

namespace vt::gui {

class X11ErrorTrap {
public:
  explicit X11ErrorTrap(Display* display);
  ~X11ErrorTrap();
  X11ErrorTrap(const X11ErrorTrap&) = delete;
  X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

  // Syncs and tells whether an error arrived since the trap was set.
  bool failed();

private:
  Display* display;
  XErrorHandler previous;
  int previousCount;
};

}  // namespace vt::gui
