#include "tools/render/editor_window.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdint>

namespace vt::render {

namespace {

int ignoreErrors(Display*, XErrorEvent*) { return 0; }

class X11EditorWindow : public EditorWindow {
public:
  ~X11EditorWindow() override {
    if (display) {
      if (window) XDestroyWindow(display, window);
      XCloseDisplay(display);
    }
  }

  bool create(int w, int h, const char* title, std::string& error) {
    display = XOpenDisplay(nullptr);
    if (!display) {
      error = "cannot open the X display (is DISPLAY set? try xvfb-run)";
      return false;
    }
    width = w;
    height = h;
    window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, static_cast<unsigned>(w),
                                 static_cast<unsigned>(h), 0, BlackPixel(display, DefaultScreen(display)),
                                 BlackPixel(display, DefaultScreen(display)));
    XStoreName(display, window, title);
    // A fixed size, as the editor is.
    XSizeHints* hints = XAllocSizeHints();
    if (hints) {
      hints->flags = PMinSize | PMaxSize;
      hints->min_width = hints->max_width = w;
      hints->min_height = hints->max_height = h;
      XSetWMNormalHints(display, window, hints);
      XFree(hints);
    }
    deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &deleteWindow, 1);
    XSelectInput(display, window, StructureNotifyMask);
    XMapWindow(display, window);
    XEvent event;
    do XNextEvent(display, &event);
    while (event.type != MapNotify);
    XSync(display, False);
    return true;
  }

  void* nativeHandle() override { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(window)); }

  bool processEvents() override {
    while (!closed && XPending(display)) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == ClientMessage && static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow) closed = true;
      if (event.type == DestroyNotify && event.xdestroywindow.window == window) closed = true;
    }
    return !closed;
  }

  bool capture(std::vector<std::uint32_t>& pixels, int& w, int& h) override {
    XSync(display, False);
    // The editor is a child of this window: its picture is part of ours.
    XErrorHandler previous = XSetErrorHandler(ignoreErrors);
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                              AllPlanes, ZPixmap);
    XSync(display, False);
    XSetErrorHandler(previous);
    if (!image) return false;
    const Visual* visual = DefaultVisual(display, DefaultScreen(display));
    const unsigned long masks[3] = {visual->red_mask, visual->green_mask, visual->blue_mask};
    pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const unsigned long p = XGetPixel(image, x, y);
        std::uint32_t rgb = 0;
        for (int k = 0; k < 3; ++k) {
          const unsigned long mask = masks[k];
          if (!mask) continue;
          int shift = 0;
          while (!((mask >> shift) & 1)) ++shift;
          const unsigned long top = mask >> shift;
          const unsigned long value = ((p & mask) >> shift) * 255 / top;
          rgb |= static_cast<std::uint32_t>(value) << (16 - 8 * k);
        }
        pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] = rgb;
      }
    XDestroyImage(image);
    w = width;
    h = height;
    return true;
  }

private:
  Display* display = nullptr;
  Window window = 0;
  Atom deleteWindow = 0;
  int width = 0;
  int height = 0;
  bool closed = false;
};

}  // namespace

std::unique_ptr<EditorWindow> EditorWindow::create(int width, int height, const char* title, std::string& error) {
  std::unique_ptr<X11EditorWindow> window(new X11EditorWindow);
  if (!window->create(width, height, title, error)) return nullptr;
  return window;
}

}  // namespace vt::render
