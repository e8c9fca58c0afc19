// The analysis windows on a real X server: title, size and place, gone when closed.
#include "platform/analysis_feedback.h"

// GoogleTest first: Xlib defines None as a macro.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
// clang-format on

#include <chrono>
#include <string>
#include <thread>

#include "tests/support/x_test_server.h"

namespace vt {
namespace {

struct Found {
  bool present = false;
  int width = 0, height = 0;
};

// Looks for a mapped top-level window with this title.
Found findWindow(const char* title) {
  Found found;
  Display* display = XOpenDisplay(nullptr);
  if (!display) return found;
  Window root = DefaultRootWindow(display), parent = 0, *children = nullptr;
  unsigned count = 0;
  if (XQueryTree(display, root, &root, &parent, &children, &count)) {
    for (unsigned i = 0; i < count && !found.present; ++i) {
      char* name = nullptr;
      if (XFetchName(display, children[i], &name) && name) {
        XWindowAttributes attributes;
        if (std::string(name) == title && XGetWindowAttributes(display, children[i], &attributes) &&
            attributes.map_state == IsViewable) {
          found.present = true;
          found.width = attributes.width;
          found.height = attributes.height;
        }
        XFree(name);
      }
    }
    if (children) XFree(children);
  }
  XCloseDisplay(display);
  return found;
}

Found waitFor(const char* title, bool present) {
  Found found;
  for (int i = 0; i < 200; ++i) {
    found = findWindow(title);
    if (found.present == present) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return found;
}

TEST(AnalysisFeedback, TheProgressWindowShowsWhileOpenAndGoesWhenClosed) {
  if (!gui::test::XTestServer::instance().available()) GTEST_SKIP() << "no X server";
  {
    std::unique_ptr<ProgressIndicator> progress = desktopFeedback().openProgress();
    ASSERT_NE(progress, nullptr);
    const Found shown = waitFor("Analyzing Audio", true);
    ASSERT_TRUE(shown.present);
    EXPECT_EQ(shown.width, 300);
    EXPECT_EQ(shown.height, 100);
    for (int step = 0; step <= 10; ++step) {
      progress->setProgress(step / 10.0);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  EXPECT_FALSE(waitFor("Analyzing Audio", false).present);
}

TEST(AnalysisFeedback, TheMessageBoxReturnsAtOnceAndShowsItsTitle) {
  if (!gui::test::XTestServer::instance().available()) GTEST_SKIP() << "no X server";
  const auto before = std::chrono::steady_clock::now();
  desktopFeedback().showMessage("Unsupported file format.\n", "Veltrane 7000");
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(1));
  EXPECT_TRUE(waitFor("Veltrane 7000", true).present);
}

}  // namespace
}  // namespace vt
