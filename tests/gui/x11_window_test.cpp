// The X11 backend on a real (virtual) X server: the editor opens as a child
// of a host window, the server shows exactly the pixels of the headless
// rendering (after open and after a redraw), close and reopen work, a parent
// destroyed before close does not end the process, and an XDND drop of a file
// reaches the frame's drop handler. Skipped without an X server.
// gtest and the framework first: Xlib's macros (None, Status) would break them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "gui_test_editor.h"

// Xlib after them.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "gui/x11/x11_window.h"
#include "tests/support/x_test_server.h"
#include "tests/support/xdnd_drag_source.h"

namespace vt::gui::test {
namespace {

class X11WindowTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (!XTestServer::instance().available()) GTEST_SKIP() << "no X server (Xvfb not installed?)";
    display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 10, 10, 800, 550, 0, 0, 0);
    XSelectInput(display, parent, StructureNotifyMask);
    XMapWindow(display, parent);
    XEvent event;
    do XNextEvent(display, &event);
    while (event.type != MapNotify);
  }
  void TearDown() override {
    editor.close();
    if (display) {
      if (parent) XDestroyWindow(display, parent);
      XCloseDisplay(display);
    }
  }
  bool openNative() {
    editor.setWindowFactory(createNativeWindow);
    return editor.open(reinterpret_cast<void*>(static_cast<std::uintptr_t>(parent)));
  }
  Window child() { return static_cast<X11Window*>(editor.getFrame()->platformWindow())->windowId(); }

  // Every pixel the server holds for the editor's window against the frame's surface.
  int mismatches() {
    XImage* image = XGetImage(display, child(), 0, 0, 800, 550, AllPlanes, ZPixmap);
    if (!image) return -1;
    int bad = 0;
    const Surface& s = editor.getFrame()->surface();
    for (int y = 0; y < 550; ++y)
      for (int x = 0; x < 800; ++x)
        if ((XGetPixel(image, x, y) & 0xFFFFFF) != (s.pixel(x, y) & 0xFFFFFF)) ++bad;
    XDestroyImage(image);
    return bad;
  }

  Display* display = nullptr;
  Window parent = 0;
  TestEditor editor;
};

TEST_F(X11WindowTest, ShowsTheHeadlessPicturePixelForPixelAfterOpenRedrawAndReopen) {
  // The reference: the same editor rendered without a screen.
  TestEditor headless;
  ASSERT_TRUE(headless.open(reinterpret_cast<void*>(1)));
  ASSERT_TRUE(openNative());
  Window parentOfChild = 0, root = 0, *children = nullptr;
  unsigned count = 0;
  XQueryTree(display, child(), &root, &parentOfChild, &children, &count);
  if (children) XFree(children);
  EXPECT_EQ(parentOfChild, parent);
  for (int y = 0; y < 550; ++y)
    for (int x = 0; x < 800; ++x)
      ASSERT_EQ(editor.getFrame()->surface().pixel(x, y), headless.headless().screen().pixel(x, y));
  EXPECT_EQ(mismatches(), 0) << "open must leave the picture on the server before it returns";
  const bool shm = static_cast<X11Window*>(editor.getFrame()->platformWindow())->usesSharedMemory();
  RecordProperty("blits", shm ? "MIT-SHM" : "XPutImage");
  std::printf("editor blits through %s\n", shm ? "MIT-SHM" : "XPutImage");

  editor.knob->setValue(0.95f);
  editor.menu->setCurrent(1);
  editor.idle();
  EXPECT_EQ(editor.getFrame()->lastRedrawCount(), 2);
  EXPECT_EQ(mismatches(), 0);

  editor.close();
  ASSERT_TRUE(openNative());
  EXPECT_EQ(mismatches(), 0);

  // Without shared memory (remote displays) the same pixels arrive through XPutImage.
  editor.close();
  editor.setWindowFactory(
      [](Frame& frame, void* parentWindow) -> PlatformWindow* { return new X11Window(frame, parentWindow, false); });
  ASSERT_TRUE(editor.open(reinterpret_cast<void*>(static_cast<std::uintptr_t>(parent))));
  EXPECT_FALSE(static_cast<X11Window*>(editor.getFrame()->platformWindow())->usesSharedMemory());
  editor.knob->setValue(0.3f);
  editor.idle();
  EXPECT_EQ(mismatches(), 0);
}

TEST_F(X11WindowTest, AParentDestroyedBeforeCloseDoesNotEndTheProcess) {
  ASSERT_TRUE(openNative());
  XDestroyWindow(display, parent);
  XSync(display, False);
  parent = 0;
  editor.knob->setValue(0.1f);
  editor.idle();  // draws into a window that is gone
  editor.idle();
  editor.close();
  EXPECT_FALSE(editor.isOpen());
  // A parent id that never was a window: open fails cleanly.
  editor.setWindowFactory(createNativeWindow);
  EXPECT_FALSE(editor.open(reinterpret_cast<void*>(static_cast<std::uintptr_t>(0x7ffffff0))));
}

// Runs xdotool on the test's display; false when it is missing or fails.
bool xdotool(const std::string& arguments) {
  return std::system(("xdotool " + arguments + " >/dev/null 2>&1").c_str()) == 0;
}

TEST_F(X11WindowTest, RealPointerAndKeysDriveKnobPopUpAndTextEntry) {
  if (std::system("command -v xdotool >/dev/null 2>&1") != 0) GTEST_SKIP() << "xdotool not installed";
  if (!XTestServer::instance().isPrivate()) GTEST_SKIP() << "would move the pointer of a shared display";
  ASSERT_TRUE(openNative());
  editor.setKnobMode(kLinearMode);
  editor.knob->setValue(0.2f);
  int x = 0, y = 0;
  Window unused;
  const Point knob = editor.centreOf(kKnobRect);
  XTranslateCoordinates(display, child(), DefaultRootWindow(display), knob.x, knob.y, &x, &y, &unused);
  XSync(display, False);
  // Press on the knob, then leave the window far to the right: the grab keeps the drag.
  ASSERT_TRUE(xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y) + " mousedown 1"));
  editor.idle();
  ASSERT_TRUE(xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y - 20)));
  editor.idle();
  EXPECT_NEAR(editor.knob->getValue(), 0.3f, 1e-5f);
  ASSERT_TRUE(xdotool("mousemove 1000 " + std::to_string(y - 20)));
  editor.idle();
  EXPECT_EQ(editor.knob->getValue(), 1.0f) << "moves outside the window still reach the knob";
  ASSERT_TRUE(xdotool("mouseup 1"));
  editor.idle();
  EXPECT_EQ(editor.edits, (std::vector<std::string>{"begin 1", "end 1"}));

  // The option menu: a click opens the framework's pop-up, keys choose in it.
  const Point menu = editor.centreOf(kMenuRect);
  XTranslateCoordinates(display, child(), DefaultRootWindow(display), menu.x, menu.y, &x, &y, &unused);
  ASSERT_TRUE(xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1"));
  editor.idle();
  editor.changes.clear();
  ASSERT_TRUE(xdotool("key Down Down Right Down Return"));
  for (int i = 0; i < 5; ++i) editor.idle();
  ASSERT_EQ(editor.changes.size(), 1u);
  EXPECT_EQ(editor.menu->getCurrent(), 2);
  EXPECT_EQ(editor.menu->getLastIndex(), 1) << "the sub-menu's second entry";
  EXPECT_EQ(mismatches(), 0);

  // The text field: a click gives the framework's entry the keyboard; Enter takes the text.
  const Point field = editor.centreOf(kTextRect);
  XTranslateCoordinates(display, child(), DefaultRootWindow(display), field.x, field.y, &x, &y, &unused);
  ASSERT_TRUE(xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1"));
  editor.idle();
  ASSERT_TRUE(editor.text->isEditingText());
  ASSERT_TRUE(xdotool("key BackSpace type 'Z'"));
  ASSERT_TRUE(xdotool("key Return"));
  for (int i = 0; i < 3; ++i) editor.idle();
  EXPECT_STREQ(editor.text->getText(), "Voice Z");
  EXPECT_FALSE(editor.text->isEditingText());
  EXPECT_EQ(mismatches(), 0);
}

// A minimal XDND source: offers a uri-list at a point of the target and
// answers the selection request, as a file manager would.
TEST_F(X11WindowTest, AnXdndDropOfAFileReachesTheDropHandler) {
  struct Handler : DropHandler {
    void onDrop(const DropData& data, Point where) override {
      ++calls;
      at = where;
      if (data.kind == DropData::Kind::Files && data.count == 1) path = data.names[0];
    }
    int calls = 0;
    Point at;
    std::string path;
  } handler;
  ASSERT_TRUE(openNative());
  editor.getFrame()->setDropHandler(&handler);
  const Window target = child();

  const Atom aware = XInternAtom(display, "XdndAware", False);
  Atom type;
  int format;
  unsigned long n = 0, after = 0;
  unsigned char* data = nullptr;
  ASSERT_EQ(XGetWindowProperty(display, target, aware, 0, 1, False, XA_ATOM, &type, &format, &n, &after, &data),
            Success);
  ASSERT_EQ(n, 1u);
  EXPECT_GE(*reinterpret_cast<long*>(data), 5);
  XFree(data);

  const XdndDragOutcome outcome =
      dragUrisOnto(display, target, 120, 140, "file:///tmp/My%20Sounds/cello.wav\r\n", 400, [&] { editor.idle(); });
  EXPECT_TRUE(outcome.accepted);
  ASSERT_TRUE(outcome.finished);
  EXPECT_TRUE(outcome.finishedAccepted);
  ASSERT_EQ(handler.calls, 1);
  EXPECT_EQ(handler.path, "/tmp/My Sounds/cello.wav");
  EXPECT_EQ(handler.at, Point(120, 140));
}

}  // namespace
}  // namespace vt::gui::test
