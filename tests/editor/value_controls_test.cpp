// The controls that show values: film knob frames, radio groups and number
// fields (labels, drags, arrows with their repeat), drawn from the embedded
// artwork.
#include <gtest/gtest.h>

#include <vector>

#include "editor/editor_images.h"
#include "editor/embedded_bitmap_provider.h"
#include "editor/film_knob.h"
#include "editor/image_ids.h"
#include "editor/layout_entry.h"
#include "editor/number_field.h"
#include "editor/number_field_labels.h"
#include "editor/radio_group.h"
#include "gui/draw_context.h"
#include "gui/gui_bitmap.h"
#include "gui/surface.h"

namespace vt {
namespace {

struct CountingListener : gui::ControlListener {
  std::vector<float> values;
  void valueChanged(gui::DrawContext* /*context*/, gui::Control* control) override {
    values.push_back(control->getValue());
  }
};

class ValueControls : public ::testing::Test {
protected:
  ValueControls() { EmbeddedBitmapProvider::install(); }

  gui::MouseEvent press(int x, int y) const {
    gui::MouseEvent e;
    e.where = gui::Point(x, y);
    e.buttons = gui::kLeftButton;
    return e;
  }

  EditorImages images;
  CountingListener listener;
};

TEST_F(ValueControls, EveryEmbeddedImageDecodesAtItsSize) {
  struct Size {
    int id, w, h;
  };
  for (const Size& s : {Size{128, 800, 550}, Size{137, 772, 389}, Size{154, 245, 560}, Size{140, 795, 13},
                        Size{144, 40, 5}, Size{158, 13, 26}, Size{165, 93, 66}, Size{160, 74, 116}}) {
    const gui::GuiBitmap* image = images.get(s.id);
    ASSERT_NE(image, nullptr) << s.id;
    EXPECT_EQ(image->getWidth(), s.w) << s.id;
    EXPECT_EQ(image->getHeight(), s.h) << s.id;
  }
  EXPECT_TRUE(images.loadRange(kFirstImageId, kLastImageId));
  EXPECT_EQ(images.get(127), nullptr);
  EXPECT_EQ(images.get(179), nullptr);
  ASSERT_NE(images.characterFont(), nullptr);
  EXPECT_EQ(images.characterFont()->height(), 13);
}

TEST_F(ValueControls, FilmKnobDrawsTheFrameOfItsValue) {
  const gui::GuiBitmap* film = images.get(kImageKnobFilm);
  ASSERT_NE(film, nullptr);
  FilmKnob knob(gui::Rect(10, 20, 45, 55), &listener, 1, film);
  struct Case {
    float value;
    int frame, x, y;
  };
  // Sixteen frames to a column, columns left to right.
  for (const Case& c : {Case{0.0f, 0, 0, 0}, Case{0.5f, 49, 105, 35}, Case{1.0f, 99, 210, 105}}) {
    knob.setValue(c.value);
    EXPECT_EQ(knob.frameIndex(), c.frame);
    EXPECT_EQ(knob.frameOrigin(knob.frameIndex()), gui::Point(c.x, c.y));
    gui::Surface surface(60, 60);
    surface.fillRect(surface.bounds(), gui::rgb(1, 2, 3));
    gui::DrawContext context(surface);
    knob.draw(context);
    int same = 0;
    for (int y = 0; y < 35; ++y)
      for (int x = 0; x < 35; ++x)
        same += (surface.pixel(10 + x, 20 + y) & 0xFFFFFF) == (film->pixels().pixel(c.x + x, c.y + y) & 0xFFFFFF);
    EXPECT_EQ(same, 35 * 35) << c.value;
  }
}

TEST_F(ValueControls, RadioGroupSelectsTheEntryUnderThePress) {
  RadioGroup group(gui::Rect(100, 50, 113, 107), &listener, 19, 4, 0, 22);
  for (int i = 0; i < 4; ++i) group.setEntryImage(i, images.get(kImageRadioEntry));
  group.setValue(1.0f);
  EXPECT_EQ(group.currentEntry(), 3);
  EXPECT_EQ(group.entryRect(2), gui::Rect(100, 94, 113, 107));
  group.onMouseDown(press(105, 52));  // entry 0
  EXPECT_EQ(group.currentEntry(), 0);
  group.onMouseDown(press(105, 52 + 22));  // entry 1
  EXPECT_FLOAT_EQ(group.getValue(), 1.0f / 3.0f);
  group.onMouseDown(press(105, 52 + 22));      // already selected: nothing sent
  group.onMouseDown(press(105, 50 + 13 + 3));  // between entries: nothing
  EXPECT_EQ(listener.values, (std::vector<float>{0.0f, 1.0f / 3.0f}));
  // The drawn entry shows its on state (the lower half of the image).
  gui::Surface surface(200, 200);
  gui::DrawContext context(surface);
  group.draw(context);
  const gui::Surface& image = images.get(kImageRadioEntry)->pixels();
  EXPECT_EQ(surface.pixel(106, 72 + 6) & 0xFFFFFF, image.pixel(6, 13 + 6) & 0xFFFFFF);
  EXPECT_EQ(surface.pixel(106, 50 + 6) & 0xFFFFFF, image.pixel(6, 6) & 0xFFFFFF);
}

TEST_F(ValueControls, NumberFieldShowsItsLabelsAndStepsWithinRange) {
  const FieldLabels modes = FieldLabels::EditModes;
  NumberField field(gui::Rect(684, 129, 759, 141), &listener, 182, 8, images.get(kImageFieldArrows),
                    images.characterFont());
  field.setLabels([](int i, char* t, std::size_t n,
                     const void* d) { numberFieldLabel(*static_cast<const FieldLabels*>(d), i, t, n); },
                  &modes);
  char text[256];
  field.setValue(1.0f);
  EXPECT_EQ(field.currentStep(), 7);
  field.label(field.currentStep(), text, sizeof(text));
  EXPECT_STREQ(text, "All");
  // The up arrow at the top does nothing; the down arrow steps once at once.
  const gui::Rect arrows = field.arrowRect();
  field.onMouseDown(press(arrows.left + 5, arrows.top + 2));
  field.onMouseUp(press(arrows.left + 5, arrows.top + 2));
  EXPECT_TRUE(listener.values.empty());
  field.onMouseDown(press(arrows.left + 5, arrows.bottom - 2));
  ASSERT_EQ(listener.values.size(), 1u);
  EXPECT_FLOAT_EQ(field.getValue(), 6.0f / 8.0f);
  // Held: another step every 250 ms, none in between.
  const double t0 = NumberField::clockSeconds();
  field.repeatIfHeld(t0 + 0.1);
  EXPECT_EQ(listener.values.size(), 1u);
  field.repeatIfHeld(t0 + 0.3);
  field.repeatIfHeld(t0 + 0.4);
  field.repeatIfHeld(t0 + 0.6);
  EXPECT_EQ(listener.values.size(), 3u);
  EXPECT_EQ(field.currentStep(), 4);
  field.onMouseUp(press(arrows.left + 5, arrows.bottom - 2));
  field.repeatIfHeld(t0 + 5.0);
  EXPECT_EQ(listener.values.size(), 3u);
  // A text drag: up raises by a quarter of a step per pixel, limited to 0..1.
  field.onMouseDown(press(700, 135));
  field.onMouseMoved(press(700, 135 - 16));
  EXPECT_FLOAT_EQ(field.getValue(), 4.0f / 8.0f + 16.0f / 8.0f * 0.25f);
  field.onMouseMoved(press(700, 135 - 400));
  EXPECT_FLOAT_EQ(field.getValue(), 1.0f);
  field.onMouseMoved(press(700, 135 + 400));
  EXPECT_FLOAT_EQ(field.getValue(), 0.0f);
  field.onMouseUp(press(700, 135 + 400));
  // The longest label is drawn whole inside the text area.
  EXPECT_GE(field.textArea().width(), 1 + 7 * kCharacterAdvance);
  EXPECT_EQ(images.characterFont()->textWidth("Octaves"), 7 * kCharacterAdvance);
}

TEST(NumberFieldLabels, SetsCoverTheirStepsAndNothingElse) {
  char text[32];
  numberFieldLabel(FieldLabels::Detune, 0, text, sizeof(text));
  EXPECT_STREQ(text, "-200");
  numberFieldLabel(FieldLabels::Detune, 399, text, sizeof(text));
  EXPECT_STREQ(text, "199");
  numberFieldLabel(FieldLabels::Detune, 400, text, sizeof(text));
  EXPECT_STREQ(text, "");
  numberFieldLabel(FieldLabels::NoteNames, 60, text, sizeof(text));
  EXPECT_STREQ(text, "C 4");
  numberFieldLabel(FieldLabels::OneToEight, 7, text, sizeof(text));
  EXPECT_STREQ(text, "8");
  numberFieldLabel(FieldLabels::ZeroToHundred, 100, text, sizeof(text));
  EXPECT_STREQ(text, "100");
  numberFieldLabel(FieldLabels::EditModes, -1, text, sizeof(text));
  EXPECT_STREQ(text, "");
}

}  // namespace
}  // namespace vt
