#include "gui/win32/win32_window_class.h"

#include <cstdint>
#include <cstdio>
#include <mutex>

namespace vt::gui {

namespace {

std::mutex classLock;
int classUsers = 0;
char className[32] = {};

}  // namespace

HINSTANCE Win32WindowClass::moduleInstance() {
  HMODULE module = nullptr;
  // The module that holds this function, not the host program.
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCSTR>(&Win32WindowClass::moduleInstance), &module))
    module = GetModuleHandleA(nullptr);
  return module;
}

const char* Win32WindowClass::acquire(WNDPROC windowProc) {
  std::lock_guard<std::mutex> hold(classLock);
  if (classUsers == 0) {
    const HINSTANCE instance = moduleInstance();
    std::snprintf(className, sizeof(className), "Plugin%08x",
                  static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(instance)));
    WNDCLASSA wc{};
    wc.style = CS_GLOBALCLASS;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = className;
    // A class left behind by an earlier use of the module that was not
    // unregistered is as good as a new one.
    if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
  }
  ++classUsers;
  return className;
}

void Win32WindowClass::release() {
  std::lock_guard<std::mutex> hold(classLock);
  if (classUsers <= 0) return;
  if (--classUsers == 0) UnregisterClassA(className, moduleInstance());
}

}  // namespace vt::gui
