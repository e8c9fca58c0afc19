#include "tools/render/editor_window.h"

namespace vt::render {

// The Windows host window for editors comes with the Win32 editor backend.
std::unique_ptr<EditorWindow> EditorWindow::create(int, int, const char*, std::string& error) {
  error = "editor windows are not available in this Windows build yet";
  return nullptr;
}

}  // namespace vt::render
