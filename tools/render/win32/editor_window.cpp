// The render host's Windows window for a plug-in's editor: a fixed-size
// top-level window whose client area is the editor's size. Closing it only
// marks it closed, so the editor is closed (effEditClose) while its child
// window still exists; the window itself goes when this object does.
#include "tools/render/editor_window.h"

#include <windows.h>

namespace vt::render {

namespace {

const char kClassName[] = "VT7000RenderHostEditor";

class Win32EditorWindow : public EditorWindow {
public:
  ~Win32EditorWindow() override {
    if (window) DestroyWindow(window);
    if (registered) UnregisterClassA(kClassName, GetModuleHandleA(nullptr));
  }

  bool create(int w, int h, const char* title, std::string& error) {
    width = w;
    height = h;
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = &Win32EditorWindow::windowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = kClassName;
    if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
      error = "cannot register the editor window class";
      return false;
    }
    registered = true;
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    RECT frame{0, 0, w, h};
    AdjustWindowRect(&frame, style, FALSE);
    window = CreateWindowExA(0, kClassName, title, style, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                             frame.bottom - frame.top, nullptr, nullptr, instance, this);
    if (!window) {
      error = "cannot create the editor window";
      return false;
    }
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    return true;
  }

  void* nativeHandle() override { return window; }

  bool processEvents() override {
    MSG message;
    while (!closed && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        closed = true;
        break;
      }
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    return !closed;
  }

  bool capture(std::vector<std::uint32_t>& pixels, int& w, int& h) override {
    if (!window) return false;
    GdiFlush();
    // The client area as the screen shows it, the editor's child included.
    HDC source = GetDC(window);
    if (!source) return false;
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = memory ? CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    bool ok = false;
    if (bitmap && bits) {
      HGDIOBJ previous = SelectObject(memory, bitmap);
      ok = BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY) != 0;
      GdiFlush();
      SelectObject(memory, previous);
      if (ok) {
        const std::uint32_t* words = static_cast<const std::uint32_t*>(bits);
        const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
        pixels.assign(words, words + count);
        for (std::uint32_t& p : pixels) p &= 0xFFFFFFu;
      }
    }
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    ReleaseDC(window, source);
    w = width;
    h = height;
    return ok;
  }

private:
  static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      const CREATESTRUCTA* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    Win32EditorWindow* self = reinterpret_cast<Win32EditorWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    switch (message) {
      case WM_CLOSE:
        // The session closes the editor first; the window goes with this object.
        if (self) self->closed = true;
        return 0;
      case WM_DESTROY:
        if (self) {
          self->closed = true;
          self->window = nullptr;
        }
        return 0;
      default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
  }

  HWND window = nullptr;
  int width = 0;
  int height = 0;
  bool registered = false;
  bool closed = false;
};

}  // namespace

std::unique_ptr<EditorWindow> EditorWindow::create(int width, int height, const char* title, std::string& error) {
  std::unique_ptr<Win32EditorWindow> window(new Win32EditorWindow);
  if (!window->create(width, height, title, error)) return nullptr;
  return window;
}

}  // namespace vt::render
