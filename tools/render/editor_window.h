// A top-level window of the render host that holds a plug-in's editor: the
// native handle goes to effEditOpen; the host pumps the window's events
// between the editor's idle calls and can read back the window's pixels.
// X11 on Linux (tools/render/posix), Win32 on Windows (tools/render/win32).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vt::render {

class EditorWindow {
public:
  virtual ~EditorWindow() = default;
  // A shown top-level window of the given client size; nullptr with 'error' set on failure.
  static std::unique_ptr<EditorWindow> create(int width, int height, const char* title, std::string& error);

  // The handle a VST 2 editor expects as its parent (X11 window id / HWND).
  virtual void* nativeHandle() = 0;
  // Handles pending events; false once the user closed the window.
  virtual bool processEvents() = 0;
  // The window's pixels as 0xRRGGBB, row by row; false if they cannot be read.
  virtual bool capture(std::vector<std::uint32_t>& pixels, int& width, int& height) = 0;
};

}  // namespace vt::render
