// The analysis windows on Linux: plain X11 top-level windows, each with its
// own display connection and a thread that keeps it painted.
#include "platform/analysis_feedback.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <vector>

namespace vt {

namespace {

constexpr auto kRepaintInterval = std::chrono::milliseconds(30);

// One top-level window on a display connection of its own, used only by the
// thread that paints it.
class OwnWindow {
public:
  bool open(const char* title, int x, int y, int width, int height) {
    display = XOpenDisplay(nullptr);
    if (!display) return false;
    const int screen = DefaultScreen(display);
    window = XCreateSimpleWindow(display, RootWindow(display, screen), x, y, width, height, 1,
                                 BlackPixel(display, screen), WhitePixel(display, screen));
    XStoreName(display, window, title);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title), static_cast<int>(std::strlen(title)));
    XSizeHints hints = {};
    hints.flags = USPosition | PPosition | PSize | PMinSize | PMaxSize;
    hints.x = x, hints.y = y, hints.width = hints.min_width = hints.max_width = width;
    hints.height = hints.min_height = hints.max_height = height;
    XSetWMNormalHints(display, window, &hints);
    deleteAtom = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &deleteAtom, 1);
    XSelectInput(display, window, ExposureMask | ButtonPressMask | KeyPressMask | StructureNotifyMask);
    gc = XCreateGC(display, window, 0, nullptr);
    font = XLoadQueryFont(display, "fixed");
    if (font) XSetFont(display, gc, font->fid);
    XMapRaised(display, window);
    XMoveWindow(display, window, x, y);
    XFlush(display);
    return true;
  }

  ~OwnWindow() {
    if (!display) return;
    if (font) XFreeFont(display, font);
    XFreeGC(display, gc);
    XDestroyWindow(display, window);
    XCloseDisplay(display);
  }

  int ascent() const { return font ? font->ascent : 10; }
  int textWidth(const char* text) const {
    return font ? XTextWidth(font, text, static_cast<int>(std::strlen(text))) : 6 * static_cast<int>(std::strlen(text));
  }
  void text(int x, int top, const char* s) {
    XSetForeground(display, gc, BlackPixel(display, DefaultScreen(display)));
    XDrawString(display, window, gc, x, top + ascent(), s, static_cast<int>(std::strlen(s)));
  }
  void fill(int x, int y, int w, int h, unsigned long pixel) {
    XSetForeground(display, gc, pixel);
    XFillRectangle(display, window, gc, x, y, w, h);
  }
  void frame(int x, int y, int w, int h) {
    XSetForeground(display, gc, BlackPixel(display, DefaultScreen(display)));
    XDrawRectangle(display, window, gc, x, y, w, h);
  }
  unsigned long white() const { return WhitePixel(display, DefaultScreen(display)); }
  unsigned long colour(unsigned short r, unsigned short g, unsigned short b) {
    XColor c = {};
    c.red = r, c.green = g, c.blue = b;
    c.flags = DoRed | DoGreen | DoBlue;
    if (XAllocColor(display, DefaultColormap(display, DefaultScreen(display)), &c)) return c.pixel;
    return BlackPixel(display, DefaultScreen(display));
  }

  // Handles what arrived; true when the user asked to close (button, key or the window manager).
  bool pump(bool* exposed, int* clickX, int* clickY) {
    bool closeAsked = false;
    while (XPending(display)) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == Expose && event.xexpose.count == 0) *exposed = true;
      if (event.type == ClientMessage && static_cast<Atom>(event.xclient.data.l[0]) == deleteAtom) closeAsked = true;
      if (event.type == KeyPress) {
        const KeySym key = XLookupKeysym(&event.xkey, 0);
        if (key == XK_Return || key == XK_Escape || key == XK_space || key == XK_KP_Enter) closeAsked = true;
      }
      if (event.type == ButtonPress && clickX) *clickX = event.xbutton.x, *clickY = event.xbutton.y;
    }
    return closeAsked;
  }
  void flush() { XFlush(display); }

private:
  Display* display = nullptr;
  Window window = 0;
  GC gc = nullptr;
  XFontStruct* font = nullptr;
  Atom deleteAtom = 0;
};

class X11Progress final : public ProgressIndicator {
public:
  bool start() {
    std::atomic<int> opened{0};  // 1 open, -1 failed
    painter = std::thread([this, &opened] { run(opened); });
    while (opened.load() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return opened.load() > 0;
  }
  ~X11Progress() override {
    stop.store(true);
    if (painter.joinable()) painter.join();
  }
  void setProgress(double share) override {
    if (!(share >= 0.0)) share = 0.0;
    progress.store(share > 1.0 ? 1.0 : share);
  }

private:
  void run(std::atomic<int>& opened) {
    using namespace analysis_window;
    OwnWindow w;
    if (!w.open(kTitle, kLeft, kTop, kWidth, kHeight)) {
      opened.store(-1);
      return;
    }
    opened.store(1);
    const unsigned long bar = w.colour(0x3000, 0x7000, 0xc000);
    double drawn = -1.0;
    while (!stop.load()) {
      bool exposed = false;
      w.pump(&exposed, nullptr, nullptr);  // the progress window stays until the work ends
      const double share = progress.load();
      if (exposed || share != drawn) {
        const int barLeft = kTextX, barTop = 50, barWidth = kWidth - 2 * kTextX, barHeight = 14;
        w.fill(0, 0, kWidth, kHeight, w.white());
        w.text(kTextX, kTextY, kText);
        w.frame(barLeft, barTop, barWidth, barHeight);
        w.fill(barLeft + 1, barTop + 1, static_cast<int>((barWidth - 1) * share), barHeight - 1, bar);
        w.flush();
        drawn = share;
      }
      std::this_thread::sleep_for(kRepaintInterval);
    }
  }

  std::thread painter;
  std::atomic<bool> stop{false};
  std::atomic<double> progress{0.0};
};

// Message boxes run on threads of their own so that the caller (the host's
// interface thread) never waits for the user; the module joins them when it
// is unloaded.
class MessageBoxes {
public:
  ~MessageBoxes() {
    stop.store(true);
    std::lock_guard<std::mutex> lock(mutex);
    for (std::thread& t : threads)
      if (t.joinable()) t.join();
  }
  void show(const char* text, const char* title) {
    std::lock_guard<std::mutex> lock(mutex);
    threads.emplace_back([this, message = std::string(text), caption = std::string(title)] { run(message, caption); });
  }

private:
  void run(const std::string& message, const std::string& title) {
    // The text without its trailing line break, one line per line.
    std::vector<std::string> lines;
    std::string line;
    for (char c : message) {
      if (c == '\n') {
        lines.push_back(line);
        line.clear();
      } else {
        line += c;
      }
    }
    if (!line.empty()) lines.push_back(line);
    constexpr int kWidth = 300, kHeight = 110, kButtonWidth = 70, kButtonHeight = 24;
    OwnWindow w;
    if (!w.open(title.c_str(), 200, 200, kWidth, kHeight)) return;
    const int buttonLeft = (kWidth - kButtonWidth) / 2, buttonTop = kHeight - kButtonHeight - 12;
    const unsigned long face = w.colour(0xe000, 0xe000, 0xe000);
    while (!stop.load()) {
      bool exposed = false;
      int clickX = -1, clickY = -1;
      if (w.pump(&exposed, &clickX, &clickY)) break;
      if (clickX >= buttonLeft && clickX < buttonLeft + kButtonWidth && clickY >= buttonTop &&
          clickY < buttonTop + kButtonHeight)
        break;
      if (exposed) {
        w.fill(0, 0, kWidth, kHeight, w.white());
        for (std::size_t i = 0; i < lines.size(); ++i) w.text(16, 16 + static_cast<int>(i) * 16, lines[i].c_str());
        w.fill(buttonLeft, buttonTop, kButtonWidth, kButtonHeight, face);
        w.frame(buttonLeft, buttonTop, kButtonWidth, kButtonHeight);
        w.text(buttonLeft + (kButtonWidth - w.textWidth("OK")) / 2, buttonTop + 6, "OK");
        w.flush();
      }
      std::this_thread::sleep_for(kRepaintInterval);
    }
  }

  std::mutex mutex;
  std::vector<std::thread> threads;
  std::atomic<bool> stop{false};
};

class DesktopFeedback final : public AnalysisFeedback {
public:
  std::unique_ptr<ProgressIndicator> openProgress() override {
    std::unique_ptr<X11Progress> window(new (std::nothrow) X11Progress);
    if (!window || !window->start()) return nullptr;
    return window;
  }
  void showMessage(const char* text, const char* title) override { boxes.show(text, title); }

private:
  MessageBoxes boxes;
};

}  // namespace

AnalysisFeedback& desktopFeedback() {
  static DesktopFeedback feedback;
  return feedback;
}

}  // namespace vt
