// Mouse arithmetic of the controls through a headless frame: knob drags in
// both knob modes (linear, circular, fine, control-click default), begin/end
// edits around drags, kick buttons, double clicks, and the pointer capture.
#include <gtest/gtest.h>

#include <cmath>

#include "gui/h_slider.h"
#include "gui/multi_switch.h"
#include "gui_test_editor.h"

namespace vt::gui::test {
namespace {

class ControlMouseTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(editor.open(reinterpret_cast<void*>(1)));
    window = &editor.headless();
    centre = editor.centreOf(kKnobRect);
  }
  TestEditor editor;
  HeadlessWindow* window = nullptr;
  Point centre;
};

TEST_F(ControlMouseTest, LinearDragFollowsDeltaXMinusDeltaYAndShiftChangesScaleWithoutJump) {
  editor.setKnobMode(kLinearMode);
  editor.knob->setValue(0.2f);
  window->press(centre);
  EXPECT_TRUE(window->isMouseCaptured());
  window->move(centre + Point(20, -10));  // right 20 and up 10: 30 pixels of 1/200
  EXPECT_NEAR(editor.knob->getValue(), 0.2f + 30.0f / 200.0f, 1e-6f);
  // Shift pressed without moving: nothing changes.
  window->move(centre + Point(20, -10), kLeftButton | kShift);
  EXPECT_NEAR(editor.knob->getValue(), 0.35f, 1e-6f);
  window->move(centre + Point(50, -10), kLeftButton | kShift);  // 30 fine pixels of 1/300
  EXPECT_NEAR(editor.knob->getValue(), 0.35f + 30.0f / 300.0f, 1e-6f);
  // Shift released: coarse again from here.
  window->move(centre + Point(50, -10), kLeftButton);
  window->move(centre + Point(50, 10), kLeftButton);  // down 20
  EXPECT_NEAR(editor.knob->getValue(), 0.45f - 20.0f / 200.0f, 1e-6f);
  window->move(centre + Point(500, 0), kLeftButton);
  EXPECT_EQ(editor.knob->getValue(), 1.0f);  // limited to the maximum
  window->release(centre + Point(500, 0));
  EXPECT_FALSE(window->isMouseCaptured());
  ASSERT_EQ(editor.edits.size(), 2u);
  EXPECT_EQ(editor.edits[0], "begin 1");
  EXPECT_EQ(editor.edits[1], "end 1");
  // Every change reached the listener with the value of the moment, nothing else.
  ASSERT_EQ(editor.changes.size(), 4u);
  EXPECT_NEAR(editor.changes[0].value, 0.35f, 1e-6f);
  EXPECT_EQ(editor.changes.back().value, 1.0f);
  for (const auto& c : editor.changes) EXPECT_EQ(c.tag, kKnobTag);
}

TEST_F(ControlMouseTest, CircularDragFollowsTheAngleAndPinsAcrossTheGap) {
  editor.setKnobMode(kCircularMode);
  editor.knob->setValue(0.5f);
  window->press(centre);
  EXPECT_EQ(editor.knob->getValue(), 0.5f);  // a press alone changes nothing
  window->move(centre + Point(-30, 0));      // 180 degrees: 45 of 270 from the start
  EXPECT_NEAR(editor.knob->getValue(), 45.0f / 270.0f, 0.02f);
  window->move(centre + Point(0, -30));  // straight up: the middle
  EXPECT_NEAR(editor.knob->getValue(), 0.5f, 0.02f);
  window->move(centre + Point(30, 0));  // 0 degrees: 225 of 270
  EXPECT_NEAR(editor.knob->getValue(), 225.0f / 270.0f, 0.02f);
  window->move(centre + Point(20, 25));  // bottom right, at the maximum's end of the gap
  EXPECT_EQ(editor.knob->getValue(), 1.0f);
  window->move(centre + Point(-20, 25));  // across the gap to the minimum's side: stays at the maximum
  EXPECT_EQ(editor.knob->getValue(), 1.0f);
  window->release(centre + Point(-20, 25));
  EXPECT_EQ(editor.edits, (std::vector<std::string>{"begin 1", "end 1"}));
  // From the minimum, a jump to the far side pins at the minimum.
  editor.knob->setValue(0.0f);
  window->press(centre);
  window->move(centre + Point(20, 25));
  EXPECT_EQ(editor.knob->getValue(), 0.0f);
  window->release(centre + Point(20, 25));
}

TEST_F(ControlMouseTest, AltSwapsTheDragStyleOfEitherKnobMode) {
  editor.setKnobMode(kLinearMode);
  editor.knob->setValue(0.5f);
  window->press(centre, kLeftButton | kAlt);  // linear mode with Alt: circular
  window->move(centre + Point(-30, 0), kLeftButton | kAlt);
  EXPECT_NEAR(editor.knob->getValue(), 45.0f / 270.0f, 0.02f);
  window->release(centre);
  editor.setKnobMode(kCircularMode);
  editor.knob->setValue(0.5f);
  window->press(centre, kLeftButton | kAlt);  // circular mode with Alt: linear
  window->move(centre + Point(-30, 0), kLeftButton | kAlt);
  EXPECT_NEAR(editor.knob->getValue(), 0.5f - 30.0f / 200.0f, 1e-6f);
  window->release(centre);
}

TEST_F(ControlMouseTest, ControlClickRestoresTheDefaultWithoutAnEdit) {
  editor.knob->setValue(0.9f);
  window->press(centre, kLeftButton | kControl);
  EXPECT_FALSE(window->isMouseCaptured());
  window->release(centre);
  EXPECT_EQ(editor.knob->getValue(), 0.25f);
  ASSERT_EQ(editor.changes.size(), 1u);
  EXPECT_EQ(editor.changes[0].value, 0.25f);
  EXPECT_TRUE(editor.edits.empty());
}

TEST_F(ControlMouseTest, WheelStepsTheKnobAsOneEditPerStep) {
  editor.knob->setValue(0.5f);
  EXPECT_TRUE(editor.getFrame()->wheel(centre, 2.0f, 0));
  EXPECT_NEAR(editor.knob->getValue(), 0.52f, 1e-6f);
  EXPECT_TRUE(editor.getFrame()->wheel(centre, -1.0f, kShift));
  EXPECT_NEAR(editor.knob->getValue(), 0.519f, 1e-6f);
  EXPECT_EQ(editor.edits, (std::vector<std::string>{"begin 1", "end 1", "begin 1", "end 1"}));
  EXPECT_EQ(editor.changes.size(), 2u);
}

TEST_F(ControlMouseTest, SliderJumpsToThePressDragsFinelyWithShiftAndResetsWithControl) {
  // Track 171 wide, handle 11 (no images: an 8 pixel handle): travel 163 pixels.
  HSlider* slider = new HSlider(Rect::fromSize(400, 20, 171, 22), &editor, 9, nullptr, nullptr);
  slider->setDefaultValue(0.5f);
  editor.getFrame()->addView(slider);
  const int travel = 171 - 8;
  window->press(Point(400 + 4 + travel / 4, 30));  // the handle's centre goes under the cursor
  EXPECT_NEAR(slider->getValue(), 0.25f, 0.01f);
  window->move(Point(400 + 4 + travel / 2, 30));
  EXPECT_NEAR(slider->getValue(), 0.5f, 0.01f);
  const float before = slider->getValue();
  window->move(Point(400 + 4 + travel / 2, 30), kLeftButton | kShift);
  window->move(Point(400 + 4 + travel / 2 + 50, 30), kLeftButton | kShift);
  EXPECT_NEAR(slider->getValue(), before + 50.0f / travel / 5.0f, 1e-4f);
  window->release(Point(0, 0));
  EXPECT_EQ(editor.edits, (std::vector<std::string>{"begin 9", "end 9"}));
  window->press(slider->handleRect().topLeft() + Point(1, 1), kLeftButton | kControl);
  EXPECT_EQ(slider->getValue(), 0.5f);
}

TEST_F(ControlMouseTest, MultiSwitchStepsThroughItsStatesBothWays) {
  MultiSwitch* modes = new MultiSwitch(Rect::fromSize(400, 60, 93, 22), &editor, 10, 3, nullptr);
  editor.getFrame()->addView(modes);
  std::vector<int> states;
  for (int i = 0; i < 4; ++i) {
    window->advanceClock(1000);
    window->press(Point(420, 70));
    window->release(Point(420, 70));
    states.push_back(modes->currentState());
  }
  window->advanceClock(1000);
  window->press(Point(420, 70), kRightButton);
  states.push_back(modes->currentState());
  EXPECT_EQ(states, (std::vector<int>{1, 2, 0, 1, 0}));
  EXPECT_FLOAT_EQ(editor.changes[1].value, 1.0f);  // state 2 of 3
  EXPECT_FLOAT_EQ(editor.changes[0].value, 0.5f);
}

TEST_F(ControlMouseTest, ClosingDuringADragEndsTheEdit) {
  window->press(centre);
  window->move(centre + Point(5, 0));
  editor.close();
  EXPECT_EQ(editor.edits, (std::vector<std::string>{"begin 1", "end 1"}));
}

TEST_F(ControlMouseTest, KickButtonFollowsTheCursorAndReleasesToZero) {
  const Point p = editor.centreOf(kKickRect);
  window->press(p);
  window->move(p + Point(40, 0));  // off the button
  window->move(p + Point(1, 1));   // back on
  window->release(p + Point(1, 1));
  std::vector<float> values;
  for (const auto& c : editor.changes) values.push_back(c.value);
  EXPECT_EQ(values, (std::vector<float>{1.0f, 0.0f, 1.0f, 0.0f}));
  EXPECT_EQ(editor.kick->getValue(), 0.0f);
}

TEST_F(ControlMouseTest, OnOffButtonTogglesAndDoubleClicksAreMarked) {
  struct Recorder : View {
    Recorder() : View(Rect::fromSize(600, 10, 20, 20)) {}
    MouseResult onMouseDown(const MouseEvent& e) override {
      presses.push_back(e.buttons);
      return MouseResult::Handled;
    }
    std::vector<int> presses;
  };
  Recorder* recorder = new Recorder;
  editor.getFrame()->addView(recorder);
  const Point p(605, 15);
  window->press(p);
  window->release(p);
  window->press(p + Point(1, 0));  // soon and near: a double click
  window->release(p);
  window->advanceClock(1000);
  window->press(p);  // too late
  window->release(p);
  ASSERT_EQ(recorder->presses.size(), 3u);
  EXPECT_FALSE(recorder->presses[0] & kDoubleClick);
  EXPECT_TRUE(recorder->presses[1] & kDoubleClick);
  EXPECT_FALSE(recorder->presses[2] & kDoubleClick);

  const Point b = editor.centreOf(kButtonRect);
  window->advanceClock(1000);
  window->press(b);
  window->release(b);
  EXPECT_EQ(editor.button->getValue(), 1.0f);
  window->advanceClock(1000);
  window->press(b);
  window->release(b);
  EXPECT_EQ(editor.button->getValue(), 0.0f);
}

}  // namespace
}  // namespace vt::gui::test
