// The window class of the editor's child windows: "Plugin%08x" formatted with
// the module's instance handle, so two modules in one host never share a
// class. Registered when the first frame opens and unregistered when the last
// one goes; the count is per process and safe from any thread.
#pragma once

#include <windows.h>

namespace vt::gui {

class Win32WindowClass {
public:
  // Registers the class on first use (windowProc is its window procedure);
  // returns its name, or nullptr when registration failed. Every successful
  // acquire is balanced by one release.
  static const char* acquire(WNDPROC windowProc);
  static void release();
  // The module (DLL or program) this code is part of.
  static HINSTANCE moduleInstance();
};

}  // namespace vt::gui
