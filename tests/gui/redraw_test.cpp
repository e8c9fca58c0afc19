// Dirty tracking: a value set from another thread is only marked; the next
// idle redraws exactly the control's rectangle and leaves every other pixel
// of the screen alone. Also the text entry and drops through the frame.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>

#include "gui/drop_list.h"
#include "gui_test_editor.h"

namespace vt::gui::test {
namespace {

TEST(RedrawTest, ValueFromAnotherThreadIsDrawnAtTheNextIdleInItsRectangleOnly) {
  TestEditor editor;
  ASSERT_TRUE(editor.open(reinterpret_cast<void*>(1)));
  HeadlessWindow& window = editor.headless();
  EXPECT_EQ(editor.getFrame()->lastRedrawCount(), 1);  // open drew everything
  editor.idle();
  EXPECT_EQ(editor.getFrame()->lastRedrawCount(), 0) << "nothing dirty, nothing drawn";
  Surface before(800, 550);
  before.blit(window.screen(), 0, 0, before.bounds());
  const int blitsBefore = window.blitCount();

  std::thread other([&] { editor.knob->setValue(0.9f); });
  other.join();
  EXPECT_EQ(window.blitCount(), blitsBefore) << "the other thread drew nothing";
  editor.idle();
  ASSERT_EQ(editor.getFrame()->lastRedrawCount(), 1);
  const Rect knobInFrame = kKnobRect.offset(kPageOrigin);
  EXPECT_EQ(editor.getFrame()->lastRedrawRects()[0], knobInFrame);
  int changedInside = 0;
  for (int y = 0; y < 550; ++y)
    for (int x = 0; x < 800; ++x) {
      const bool changed = before.pixel(x, y) != window.screen().pixel(x, y);
      if (knobInFrame.contains(Point(x, y)))
        changedInside += changed;
      else
        ASSERT_FALSE(changed) << "pixel " << x << "," << y << " outside the knob changed";
    }
  EXPECT_GT(changedInside, 10);
  // The screen equals a full repaint: nothing stale is left in the rectangle.
  editor.getFrame()->redrawAll();
  for (int y = knobInFrame.top; y < knobInFrame.bottom; ++y)
    for (int x = knobInFrame.left; x < knobInFrame.right; ++x)
      ASSERT_EQ(editor.getFrame()->surface().pixel(x, y), window.screen().pixel(x, y));
}

TEST(RedrawTest, TextEntryCommitsOnEnterCancelsOnEscapeAndCommitsOnFocusLoss) {
  TestEditor editor;
  ASSERT_TRUE(editor.open(reinterpret_cast<void*>(1)));
  HeadlessWindow& window = editor.headless();
  const Point field = editor.centreOf(kTextRect);
  window.press(field);
  window.release(field);
  EXPECT_TRUE(window.hasKeyboardFocus());
  KeyEvent backspace;
  backspace.key = VirtualKey::Backspace;
  window.typeKey(backspace);
  window.typeText("B!");
  KeyEvent enter;
  enter.key = VirtualKey::Return;
  window.typeKey(enter);
  EXPECT_STREQ(editor.text->getText(), "Voice B!");
  EXPECT_FALSE(window.hasKeyboardFocus());
  ASSERT_EQ(editor.changes.size(), 1u);
  EXPECT_EQ(editor.changes[0].tag, kTextTag);

  window.press(field);
  window.typeText("xyz");
  KeyEvent escape;
  escape.key = VirtualKey::Escape;
  window.typeKey(escape);
  EXPECT_STREQ(editor.text->getText(), "Voice B!");
  EXPECT_EQ(editor.changes.size(), 1u);

  window.press(field);
  window.typeText("?");
  editor.getFrame()->focusLost();
  EXPECT_STREQ(editor.text->getText(), "Voice B!?");
  EXPECT_EQ(editor.changes.size(), 2u);
}

// A backend with its own edit box (as Win32 has): the frame takes the box's text.
class NativeEntryWindow : public HeadlessWindow {
public:
  using HeadlessWindow::HeadlessWindow;
  bool beginNativeTextEntry(TextEdit& edit, const Rect& where) override {
    started = edit.getText();
    area = where;
    return true;
  }
  void endNativeTextEntry(char* text, int capacity) override { std::snprintf(text, capacity, "%s", boxText); }
  std::string started;
  Rect area;
  const char* boxText = "From the box";
};

TEST(RedrawTest, ANativeEditBoxHandsItsTextToTheField) {
  TestEditor editor;
  editor.setWindowFactory([](Frame& frame, void*) -> PlatformWindow* { return new NativeEntryWindow(frame); });
  ASSERT_TRUE(editor.open(reinterpret_cast<void*>(1)));
  auto& window = static_cast<NativeEntryWindow&>(editor.headless());
  const Point field = editor.centreOf(kTextRect);
  window.press(field);
  EXPECT_EQ(window.started, "Voice A");
  EXPECT_EQ(window.area, kTextRect.offset(kPageOrigin));
  EXPECT_FALSE(window.hasKeyboardFocus()) << "the box has it, not the frame";
  editor.getFrame()->endTextEntry(true);  // the box reported Enter
  EXPECT_STREQ(editor.text->getText(), "From the box");
  ASSERT_EQ(editor.changes.size(), 1u);
  window.press(field);
  window.press(Point(5, 5));  // a press elsewhere commits too
  EXPECT_EQ(editor.changes.size(), 2u);
  window.press(field);
  window.boxText = "ignored";
  editor.getFrame()->endTextEntry(false);  // Escape
  EXPECT_STREQ(editor.text->getText(), "From the box");
  EXPECT_EQ(editor.changes.size(), 2u);
}

TEST(DropListTest, UriListsBecomeLocalPathsAndBadEntriesAreSkipped) {
  DropList list;
  const char uris[] =
      "# a comment\r\n"
      "file:///home/me/My%20Voices/Cello.v7v\r\n"
      "file://localhost/tmp/a.wav\r\n"
      "file://otherhost/tmp/b.wav\r\n"
      "http://example.com/c.wav\r\n"
      "file:/tmp/short%2\n"
      "FILE:///tmp/upper.aiff";
  ASSERT_EQ(list.parseUriList(uris, sizeof(uris) - 1), 4);
  EXPECT_STREQ(list.name(0), "/home/me/My Voices/Cello.v7v");
  EXPECT_STREQ(list.name(1), "/tmp/a.wav");
  EXPECT_STREQ(list.name(2), "/tmp/short%2") << "an incomplete escape stays as it is";
  EXPECT_STREQ(list.name(3), "/tmp/upper.aiff");
  // The size is respected even without a terminator.
  const char cut[] = {'f', 'i', 'l', 'e', ':', '/', '/', '/', 'x', 'y'};
  ASSERT_EQ(list.parseUriList(cut, 9), 1);
  EXPECT_STREQ(list.name(0), "/x");
  ASSERT_TRUE(list.setText("hello", 5));
  EXPECT_EQ(list.data().kind, DropData::Kind::Text);
  EXPECT_STREQ(list.data().text, "hello");
}

TEST(DropListTest, FrameHandsDropsToItsHandler) {
  struct Handler : DropHandler {
    void onDrop(const DropData& data, Point where) override {
      count = data.count;
      at = where;
      first = data.kind == DropData::Kind::Files && data.count ? data.names[0] : data.text;
    }
    int count = -1;
    Point at;
    std::string first;
  } handler;
  TestEditor editor;
  ASSERT_TRUE(editor.open(reinterpret_cast<void*>(1)));
  editor.getFrame()->setDropHandler(&handler);
  const char* paths[] = {"/tmp/one.wav", "/tmp/two.wav"};
  editor.headless().dropFiles(paths, 2, Point(300, 200));
  EXPECT_EQ(handler.count, 2);
  EXPECT_EQ(handler.at, Point(300, 200));
  EXPECT_EQ(handler.first, "/tmp/one.wav");
  editor.headless().dropText("some text", Point(1, 2));
  EXPECT_EQ(handler.first, "some text");
}

}  // namespace
}  // namespace vt::gui::test
