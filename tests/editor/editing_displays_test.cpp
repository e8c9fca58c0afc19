// The editing displays through a headless frame: curve editing (insert, move,
// snap, right-click delete), the harmonics bars' edit modes, the morph pad,
// the frequency axis, and how a finished edit is reported.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editor/display_binding.h"
#include "editor/frequency_axis.h"
#include "editor/frequency_curve_display.h"
#include "editor/harmonic_envelope_display.h"
#include "editor/harmonics_display.h"
#include "editor/morph_envelope_display.h"
#include "editor/morph_pad.h"
#include "editor/noise_envelope_display.h"
#include "editor/voice_list.h"
#include "engine/breakpoint_curve.h"
#include "engine/harmonic_set.h"
#include "engine/noise_set.h"
#include "engine/parameter_ids.h"
#include "files/voice_library.h"
#include "gui/frame.h"
#include "gui/gui_editor.h"
#include "gui/headless/headless_window.h"
#include "tests/support/fake_folder_lister.h"

namespace vt {
namespace {

using gui::Point;
using gui::Rect;

// A window holding one display, recording what it reports.
class DisplayHost : public gui::GuiEditor, public gui::ControlListener, public DisplayEditListener {
public:
  using Factory = std::function<gui::Control*(DisplayHost&)>;

  explicit DisplayHost(Factory makeDisplay) : GuiEditor(nullptr), factory(std::move(makeDisplay)) {
    setEditorRect(800, 550);
    setWindowFactory(gui::createHeadlessWindow);
    open(reinterpret_cast<void*>(1));
  }
  ~DisplayHost() override { close(); }

  void valueChanged(gui::DrawContext*, gui::Control* control) override {
    changes.push_back({control->getTag(), control->getValue()});
  }
  void beginEdit(int tag) override { edits.push_back("begin " + std::to_string(tag)); }
  void endEdit(int tag) override { edits.push_back("end " + std::to_string(tag)); }
  void editFinished(gui::Control* display) override {
    edits.push_back("finished " + std::to_string(display->getTag()));
  }

  gui::HeadlessWindow& window() { return *static_cast<gui::HeadlessWindow*>(frame->platformWindow()); }

  struct Change {
    int tag;
    float value;
  };
  std::vector<Change> changes;
  std::vector<std::string> edits;
  gui::Control* display = nullptr;

protected:
  bool buildFrame(gui::Frame& f) override {
    display = factory(*this);
    return display && f.addView(display);
  }
  void frameClosing(gui::Frame&) override { display = nullptr; }

private:
  Factory factory;
};

// A time display whose plot is (100, 103)-(500, 203): 100 pixels per second at
// the initial 4-second span, 100 pixels of height.
constexpr Rect kCurveRect(97, 100, 503, 213);
Point at(float seconds, float level) {
  return Point(100 + static_cast<int>(seconds * 100.0f + 0.5f), 203 - static_cast<int>(level * 100.0f + 0.5f));
}

class CurveEditing : public ::testing::Test {
protected:
  CurveEditing()
      : host([this](DisplayHost& h) {
          auto* d = new MorphEnvelopeDisplay(kCurveRect, &h, 179, nullptr);
          d->setEditListener(&h);
          d->bind(&curve);
          envelope = d;
          return d;
        }) {
    curve.add(0.0f, 0.0f);
    curve.add(1.0f, 0.5f);
    curve.add(2.0f, 1.0f);
    envelope->bind(&curve);
  }
  BreakpointCurve curve;
  MorphEnvelopeDisplay* envelope = nullptr;
  DisplayHost host;
};

TEST_F(CurveEditing, RightClickDeletesAPointAndDoesNothingOnEmptySpace) {
  ASSERT_EQ(envelope->plotRect(), Rect(100, 103, 500, 203));
  // Empty space: nothing changes, nothing is reported as an edit.
  host.window().press(Point(250, 120), gui::kRightButton);
  host.window().release(Point(250, 120));
  EXPECT_EQ(curve.count(), 3);
  EXPECT_TRUE(host.changes.empty());
  EXPECT_EQ(host.edits, (std::vector<std::string>{"begin 179", "end 179"}));
  // A click on a point that does not move it only selects it.
  host.window().press(at(2.0f, 1.0f));
  host.window().release(at(2.0f, 1.0f));
  EXPECT_EQ(envelope->selectedPoint(), 2);
  EXPECT_TRUE(host.changes.empty());
  host.edits.clear();
  // Within the hit distance of the middle point (1 + 4 + 4... < 50 pixels squared): deleted.
  host.window().press(at(1.0f, 0.5f) + Point(4, -4), gui::kRightButton);
  host.window().release(at(1.0f, 0.5f));
  ASSERT_EQ(curve.count(), 2);
  EXPECT_EQ(curve.x(1), 2.0f);
  EXPECT_EQ(envelope->selectedPoint(), 1);  // the selection stays on a valid point
  ASSERT_EQ(host.changes.size(), 1u);
  EXPECT_EQ(host.changes[0].tag, 179);
  EXPECT_NEAR(host.changes[0].value, 0.1f, 1e-6f);  // the change counter
  EXPECT_EQ(host.edits, (std::vector<std::string>{"begin 179", "end 179", "finished 179"}));
  // Just outside the hit distance (5, 5: 50 pixels squared) is empty space.
  host.window().press(at(2.0f, 1.0f) + Point(5, 5), gui::kRightButton);
  host.window().release(at(2.0f, 1.0f) + Point(5, 5));
  EXPECT_EQ(curve.count(), 2);
}

TEST_F(CurveEditing, InsertsMovesWithinNeighboursAndSnapsToSixteenthsWithSync) {
  // A left press on empty space inserts there and selects the new point.
  host.window().press(at(1.5f, 0.25f));
  ASSERT_EQ(curve.count(), 4);
  EXPECT_EQ(envelope->selectedPoint(), 2);
  EXPECT_FLOAT_EQ(curve.x(2), 1.5f);
  EXPECT_FLOAT_EQ(curve.y(2), 0.25f);
  // It follows the cursor, stopping at its neighbours and at the plot's top.
  host.window().move(at(3.0f, 1.5f));
  EXPECT_FLOAT_EQ(curve.x(2), 2.0f);
  EXPECT_FLOAT_EQ(curve.y(2), 1.0f);
  host.window().move(Point(0, 400));
  EXPECT_FLOAT_EQ(curve.x(2), 1.0f);
  EXPECT_FLOAT_EQ(curve.y(2), 0.0f);
  host.window().release(Point(0, 400));
  EXPECT_EQ(host.edits, (std::vector<std::string>{"begin 179", "end 179", "finished 179"}));

  // A drag keeps the press offset: grabbed 2 pixels right of the point.
  host.edits.clear();
  envelope->setSync(true);
  host.window().press(at(2.0f, 1.0f) + Point(2, 0));
  EXPECT_EQ(envelope->selectedPoint(), 3);
  host.window().move(at(2.5f, 1.0f) + Point(2, 0));
  EXPECT_FLOAT_EQ(curve.x(3), 2.5f);
  // With sync, 2.55 s lands on 2.5625 (41/16) and 2.6 s on 2.625.
  host.window().move(at(2.55f, 1.0f) + Point(2, 0));
  EXPECT_FLOAT_EQ(curve.x(3), 41.0f / 16.0f);
  host.window().move(at(2.6f, 1.0f) + Point(2, 0));
  EXPECT_FLOAT_EQ(curve.x(3), 2.625f);
  host.window().release(at(2.6f, 1.0f));
  // Inserting snaps too.
  host.window().press(at(3.03f, 0.5f));
  host.window().release(at(3.03f, 0.5f));
  ASSERT_EQ(curve.count(), 5);
  EXPECT_FLOAT_EQ(curve.x(4), 3.0f);
  ASSERT_EQ(host.changes.size(), 3u);
  EXPECT_NEAR(host.changes[2].value, 0.3f, 1e-6f);
}

TEST_F(CurveEditing, TheScrollStripScrollsAndANewBindingIsFollowed) {
  // Below the plot: moving left by 100 pixels scrolls by 100 * 4 / 406 seconds.
  host.window().press(Point(300, 208));
  host.window().move(Point(200, 208));
  EXPECT_NEAR(envelope->scrollOffset(), 100.0f * 4.0f / 406.0f, 1e-5f);
  host.window().move(Point(600, 208));  // never before 0
  EXPECT_EQ(envelope->scrollOffset(), 0.0f);
  host.window().release(Point(600, 208));
  EXPECT_EQ(curve.count(), 3);
  EXPECT_TRUE(host.changes.empty());
  // The wheel zooms around the cursor: the time under it stays where it is.
  ASSERT_TRUE(host.getFrame()->wheel(at(2.0f, 0.5f), 1.0f, 0));
  EXPECT_LT(envelope->zoomSpan(), 4.0f);
  EXPECT_EQ(envelope->pointPosition(2).x, at(2.0f, 1.0f).x);
  // Unbound: presses change nothing.
  envelope->bind(nullptr);
  host.window().press(at(1.5f, 0.5f));
  host.window().release(at(1.5f, 0.5f));
  EXPECT_EQ(curve.count(), 3);
  EXPECT_TRUE(host.changes.empty());
}

TEST(HarmonicEnvelopeEditing, InsertsMovesAndDeletesATimeInEveryListOfTheSharedAxes) {
  HarmonicSet set;  // amplitude and frequency curves on shared time axes
  const float amplitudes[3][3] = {{0.2f, 0.6f, 0.0f}, {0.1f, 0.3f, 0.0f}, {0.1f, 0.1f, 0.0f}};
  for (int h = 0; h < 3; ++h)
    for (int i = 0; i < 3; ++i) {
      set.amplitude[h].add(static_cast<float>(i), amplitudes[h][i]);
      set.frequency[h].add(static_cast<float>(i), static_cast<float>(h + 1) + 0.1f * static_cast<float>(i));
    }
  HarmonicsDisplay bars(Rect(0, 0, 518, 113), nullptr, 174, nullptr);
  HarmonicEnvelopeDisplay* envelope = nullptr;
  DisplayHost host([&](DisplayHost& h) {
    envelope = new HarmonicEnvelopeDisplay(kCurveRect, &h, 175, nullptr);
    envelope->setEditListener(&h);
    envelope->linkHarmonicsDisplay(&bars);
    envelope->bind(&set);
    return envelope;
  });
  // Bound: the loudest time (sum 1.0, half the plot) is selected and shown by the bars.
  EXPECT_EQ(envelope->selectedPoint(), 1);
  EXPECT_EQ(bars.selectedTime(), 1);
  EXPECT_EQ(envelope->pointPosition(1), at(1.0f, 0.5f));

  // Insert at 1.5 s: every harmonic with points gets its interpolated value there.
  host.window().press(at(1.5f, 0.9f));
  host.window().release(at(1.5f, 0.9f));
  ASSERT_EQ(set.amplitude[0].count(), 4);
  EXPECT_EQ(set.amplitude[1].x(2), 1.5f);
  EXPECT_FLOAT_EQ(set.amplitude[0].y(2), 0.3f);
  EXPECT_FLOAT_EQ(set.amplitude[1].y(2), 0.15f);
  EXPECT_FLOAT_EQ(set.amplitude[2].y(2), 0.05f);
  EXPECT_EQ(set.amplitude[1].y(3), 0.0f);
  EXPECT_EQ(set.frequency[2].x(2), 1.5f);
  EXPECT_FLOAT_EQ(set.frequency[2].y(2), 3.15f);
  EXPECT_EQ(set.amplitude[3].count(), 0);  // a silent harmonic stays empty
  EXPECT_EQ(bars.selectedTime(), 2);

  // Move the 1 s point to 0.8 s and half its height: every amplitude there halves.
  host.window().press(at(1.0f, 0.5f));
  host.window().move(at(0.8f, 0.25f));
  host.window().release(at(0.8f, 0.25f));
  EXPECT_FLOAT_EQ(set.amplitude[0].x(1), 0.8f);
  EXPECT_FLOAT_EQ(set.frequency[1].x(1), 0.8f);
  EXPECT_NEAR(set.amplitude[0].y(1), 0.3f, 1e-5f);
  EXPECT_NEAR(set.amplitude[1].y(1), 0.15f, 1e-5f);
  EXPECT_NEAR(set.amplitude[2].y(1), 0.05f, 1e-5f);
  EXPECT_FLOAT_EQ(set.amplitude[0].x(2), 1.5f);  // envelope mode 0: the others stay

  // Right-click deletes that time from all lists.
  host.window().press(at(0.8f, 0.25f), gui::kRightButton);
  host.window().release(at(0.8f, 0.25f));
  for (int h = 0; h < 3; ++h) {
    ASSERT_EQ(set.amplitude[h].count(), 3);
    ASSERT_EQ(set.frequency[h].count(), 3);
    EXPECT_EQ(set.amplitude[h].x(1), 1.5f);
  }
  EXPECT_FLOAT_EQ(set.amplitude[0].y(1), 0.3f);
  EXPECT_FLOAT_EQ(set.frequency[0].y(1), 1.15f);
  EXPECT_EQ(host.changes.size(), 3u);
}

TEST(NoiseEnvelopeEditing, FramesAreInsertedBlendedRescaledAndDeletedAndTheSpectrumFollowsTheSelection) {
  NoiseSet noise;
  for (int f = 0; f < 2; ++f) {
    NoiseFrame* frame = noise.appendFrame(static_cast<float>(2 * f));  // frames at 0 s and 2 s
    frame->spectrum.add(0.0f, 2.0f + 4.0f * static_cast<float>(f));    // flat at 2, then at 6
    frame->spectrum.add(1.0f, 2.0f + 4.0f * static_cast<float>(f));
    frame->resample();
  }
  FrequencyCurveDisplay spectrum(Rect(0, 0, 518, 98), nullptr, 176, FrequencyCurveDisplay::kNoiseSpectrumRange,
                                 nullptr);
  spectrum.bind(&noise, 0);
  NoiseEnvelopeDisplay* envelope = nullptr;
  DisplayHost host([&](DisplayHost& h) {
    envelope = new NoiseEnvelopeDisplay(kCurveRect, &h, 177, nullptr);
    envelope->setEditListener(&h);
    envelope->linkSpectrumDisplay(&spectrum);
    envelope->bind(&noise);
    return envelope;
  });
  EXPECT_EQ(envelope->selectedPoint(), 1);  // the louder frame
  EXPECT_EQ(spectrum.boundCurve(), &noise.frames[1].spectrum);

  // A frame inserted at 0.5 s blends its neighbours a quarter of the way.
  host.window().press(at(0.5f, 0.9f));
  host.window().release(at(0.5f, 0.9f));
  ASSERT_EQ(noise.count, 3);
  EXPECT_EQ(noise.times[1], 0.5f);
  EXPECT_FLOAT_EQ(noise.frames[1].spectrum.y(0), 3.0f);
  EXPECT_FLOAT_EQ(noise.frames[1].bins[100], 3.0f);  // resampled
  EXPECT_EQ(noise.frames[2].spectrum.y(0), 6.0f);
  EXPECT_EQ(spectrum.shownFrame(), 1);

  // Dragging it to twice its height (mean 3 of a full 10) doubles its spectrum.
  host.window().press(at(0.5f, 0.3f));
  host.window().move(at(0.5f, 0.6f));
  host.window().release(at(0.5f, 0.6f));
  EXPECT_NEAR(noise.frames[1].spectrum.y(1), 6.0f, 1e-4f);
  EXPECT_NEAR(noise.frames[1].bins[0], 6.0f, 1e-4f);

  // Deleting the first frame moves the others down.
  host.window().press(at(0.0f, 0.2f), gui::kRightButton);
  host.window().release(at(0.0f, 0.2f));
  ASSERT_EQ(noise.count, 2);
  EXPECT_EQ(noise.times[0], 0.5f);
  EXPECT_EQ(noise.times[1], 2.0f);
  EXPECT_EQ(noise.frames[1].spectrum.y(0), 6.0f);
  EXPECT_EQ(host.changes.size(), 3u);
}

TEST(FrequencyAxis, MapsThroughItsKnotsWithTheMiddleAt3340Hz) {
  EXPECT_FLOAT_EQ(frequencyAtPosition(0.5f), 3340.0f);
  EXPECT_FLOAT_EQ(frequencyAtPosition(0.0f), 20.0f);
  EXPECT_FLOAT_EQ(frequencyAtPosition(0.75f), 5000.0f);
  EXPECT_FLOAT_EQ(frequencyAtPosition(1.0f), 22000.0f);
  EXPECT_FLOAT_EQ(frequencyAtPosition(-3.0f), 20.0f);
  EXPECT_FLOAT_EQ(frequencyAtPosition(7.0f), 22000.0f);
  for (float p : {0.1f, 0.5f, 0.8f, 0.99f}) EXPECT_NEAR(positionOfFrequency(frequencyAtPosition(p)), p, 1e-5f);

  // A point inserted in the middle of a spectrum display sits at 3340 / 22050.
  BreakpointCurve spectrum;
  DisplayHost host([&](DisplayHost& h) {
    auto* d = new FrequencyCurveDisplay(Rect(97, 100, 503, 213), &h, 176, FrequencyCurveDisplay::kNoiseSpectrumRange,
                                        nullptr);
    d->bind(&spectrum);
    return d;
  });
  host.window().press(Point(300, 153));
  host.window().release(Point(300, 153));
  ASSERT_EQ(spectrum.count(), 1);
  EXPECT_NEAR(spectrum.x(0), 3340.0f / 22050.0f, 1e-6f);
  EXPECT_NEAR(spectrum.y(0), 25.0f, 1e-4f);  // half the 0..50 range
}

// The harmonics bars, 64 columns of 8 pixels over a plot of (100, 103)-(612, 203).
class HarmonicsEditing : public ::testing::Test {
protected:
  HarmonicsEditing()
      : host([this](DisplayHost& h) {
          auto* d = new HarmonicsDisplay(Rect(97, 100, 615, 213), &h, 174, nullptr);
          d->setEditListener(&h);
          bars = d;
          return d;
        }) {
    for (int h = 0; h < HarmonicSet::kHarmonics; ++h) {
      if (h == 31) continue;  // harmonic 32 has no points
      set.amplitude[h].add(0.0f, 0.1f);
      set.amplitude[h].add(0.5f, 0.2f);
      set.amplitude[h].add(1.0f, 0.3f);
      for (float t : {0.0f, 0.5f, 1.0f}) set.frequency[h].add(t, static_cast<float>(h + 1));
    }
    set.amplitude[31].add(0.0f, 0.0f);  // (kept on the shared axis, then emptied)
    set.amplitude[31].reset();
    bars->bind(&set);
  }
  void setMode(int mode, bool whole, bool frequency = false) {
    HarmonicsView view;
    view.editMode = mode;
    view.wholeEnvelope = whole;
    view.frequency = frequency;
    bars->setView(view);
  }
  Point column(int harmonic, int y) const { return Point(100 + (harmonic - 1) * 8 + 3, y); }

  HarmonicSet set;
  HarmonicsDisplay* bars = nullptr;
  DisplayHost host;
};

TEST_F(HarmonicsEditing, OctavesChangeHarmonicsOneToSixtyFourByTheSameAmount) {
  ASSERT_EQ(bars->plotRect(), Rect(100, 103, 612, 203));
  setMode(4, false);
  bars->setSelectedTime(1);
  host.window().press(column(10, 180));
  host.window().move(column(12, 170));  // up 10 pixels: + 0.1
  host.window().move(column(12, 160));  // and 10 more
  host.window().release(column(12, 160));
  for (int j = 1; j <= 64; ++j) {
    const bool octave = j == 1 || j == 2 || j == 4 || j == 8 || j == 16 || j == 32 || j == 64;
    const BreakpointCurve& a = set.amplitude[j - 1];
    if (j == 32) {
      // The empty harmonic took harmonic 1's times, silent, at its own number.
      ASSERT_EQ(a.count(), 3);
      EXPECT_NEAR(a.y(1), 0.2f, 1e-6f);
      EXPECT_EQ(a.y(0), 0.0f);
      ASSERT_EQ(set.frequency[31].count(), 3);
      EXPECT_EQ(set.frequency[31].y(2), 32.0f);
      continue;
    }
    EXPECT_NEAR(a.y(1), octave ? 0.4f : 0.2f, 1e-6f) << j;
    EXPECT_EQ(a.y(0), 0.1f) << j;  // only the selected time
    EXPECT_EQ(a.y(2), 0.3f) << j;
  }
  EXPECT_EQ(host.edits, (std::vector<std::string>{"begin 174", "end 174", "finished 174"}));
  ASSERT_EQ(host.changes.size(), 1u);
}

TEST_F(HarmonicsEditing, ModesWeighTheirHarmonicsAndOneSetsTheBarUnderTheCursor) {
  const int octaves[] = {1, 2, 4, 8, 16, 32, 64};
  int counted[8] = {};
  for (int mode = 0; mode < 8; ++mode)
    for (int j = 1; j <= 64; ++j) counted[mode] += HarmonicsDisplay::modeWeight(mode, j, 5) != 0.0f;
  EXPECT_EQ(counted[0], 1);
  EXPECT_EQ(counted[1], 32);
  EXPECT_EQ(counted[2], 32);
  EXPECT_EQ(counted[3], 12);
  EXPECT_EQ(counted[4], 7);
  for (int j : octaves) EXPECT_EQ(HarmonicsDisplay::modeWeight(4, j, 5), 1.0f);
  EXPECT_EQ(HarmonicsDisplay::modeWeight(5, 32, 1), 0.5f);   // Bright
  EXPECT_EQ(HarmonicsDisplay::modeWeight(6, 16, 1), 0.75f);  // Dark
  EXPECT_EQ(counted[7], 64);

  // "One", whole envelope: the bar under the cursor takes the cursor's height as its peak.
  setMode(0, true);
  host.window().press(column(3, 153));  // half way up
  EXPECT_NEAR(set.amplitude[2].y(2), 0.5f, 1e-6f);
  EXPECT_NEAR(set.amplitude[2].y(0), 0.5f / 3.0f, 1e-6f);  // the shape is kept
  host.window().move(column(7, 300));                      // below the plot, over harmonic 7
  host.window().release(column(7, 300));
  EXPECT_EQ(set.amplitude[6].y(2), 0.0f);
  EXPECT_NEAR(set.amplitude[2].y(2), 0.5f, 1e-6f);
  // Harmonic 1 never goes silent.
  host.window().press(column(1, 200));
  host.window().move(column(1, 400));
  host.window().release(column(1, 400));
  EXPECT_NEAR(set.amplitude[0].y(2), HarmonicsDisplay::kLowestFundamental, 1e-9f);

  // Frequency mode, "All": every deviation moves by the drag (50 pixels = 1), limited to -1..1.
  setMode(7, false, true);
  bars->setSelectedTime(0);
  host.window().press(column(20, 150));
  host.window().move(column(20, 175));  // down 25 pixels: -0.5
  EXPECT_FLOAT_EQ(set.frequency[9].y(0), 9.5f);
  host.window().move(column(20, 300));
  EXPECT_FLOAT_EQ(set.frequency[9].y(0), 9.0f);
  host.window().release(column(20, 300));
  EXPECT_FLOAT_EQ(set.frequency[9].y(1), 10.0f);
}

class PadEditing : public ::testing::Test {
protected:
  PadEditing()
      : host([this](DisplayHost& h) {
          pad = new MorphPad(Rect(148, 158, 359, 369), &h, 198, nullptr);
          pad->setDefaultValue(0.5f);
          return pad;
        }) {}
  MorphPad* pad = nullptr;
  DisplayHost host;
};

TEST_F(PadEditing, ControlClickRestoresTheDefaultAsOneEdit) {
  for (int p = 0; p < MorphPad::kPairs; ++p) pad->setPair(p, 0.1f, 0.9f);
  host.window().press(Point(200, 200), gui::kLeftButton | gui::kControl);
  host.window().release(Point(200, 200));
  for (int p = 0; p < MorphPad::kPairs; ++p) {
    EXPECT_EQ(pad->pairX(p), 0.5f);
    EXPECT_EQ(pad->pairY(p), 0.5f);
  }
  EXPECT_EQ(pad->getValue(), 0.5f);
  EXPECT_EQ(pad->changedPairs(), 7u);
  ASSERT_EQ(host.changes.size(), 1u);
  EXPECT_EQ(host.changes[0].tag, 198);
  EXPECT_EQ(host.edits, (std::vector<std::string>{"begin 198", "end 198"}));
}

TEST_F(PadEditing, DragsMoveThePairsOfTheModeAndNothingWhileLocked) {
  const Rect inner = pad->innerRect();
  ASSERT_EQ(inner, Rect(152, 162, 355, 365));
  pad->setMode(2);  // harmonics
  host.window().press(Point(inner.left + 50, inner.top + 100));
  host.window().move(Point(inner.left - 40, inner.bottom + 40));  // limited to 0..1
  host.window().release(Point(0, 0));
  EXPECT_EQ(pad->pairX(MorphPad::Harmonics), 0.0f);
  EXPECT_EQ(pad->pairY(MorphPad::Harmonics), 1.0f);
  EXPECT_EQ(pad->pairX(MorphPad::Noise), 0.5f);
  EXPECT_EQ(pad->pairX(MorphPad::Amplitude), 0.5f);
  EXPECT_EQ(pad->changedPairs(), 1u << MorphPad::Harmonics);
  EXPECT_EQ(host.changes.size(), 2u);  // one per step
  EXPECT_EQ(host.edits, (std::vector<std::string>{"begin 198", "end 198"}));
  EXPECT_EQ(MorphPad::parameterX(MorphPad::Amplitude), MorphAmpX);
  EXPECT_EQ(MorphPad::parameterY(MorphPad::Noise), MorphNoiseY);

  host.changes.clear();
  pad->setLocked(true);
  host.window().press(Point(inner.left + 100, inner.top + 100));
  host.window().release(Point(inner.left + 100, inner.top + 100));
  EXPECT_EQ(pad->pairX(MorphPad::Harmonics), 0.0f);
  EXPECT_TRUE(host.changes.empty());
}

TEST(VoiceListMenu, ListsTheNameThenACategorySubMenuEachOrTheRootsOwnFiles) {
  test::FakeFolderLister lister;
  lister.addFolder("/v", "Pianos");
  lister.addFolder("/v", "Strings");
  lister.addFile("/v", "Loose.v7v");
  lister.addFile("/v/Pianos", "Grand.v7v");
  lister.addFile("/v/Pianos", "Upright.v7v");
  lister.addFile("/v/Strings", "Cello.v7v");
  VoiceLibrary library;
  library.rescan(lister, "/v");

  VoiceList list(Rect(0, 0, 136, 19), nullptr, 241, nullptr);
  list.fill("My Voice", &library);
  ASSERT_EQ(list.getNbEntries(), 3);
  char text[gui::OptionMenu::kEntryLength];
  ASSERT_TRUE(list.getText(text));
  EXPECT_STREQ(text, "My Voice");
  ASSERT_NE(list.getSubMenu(1), nullptr);
  ASSERT_TRUE(list.getDisplayText(2, text));
  EXPECT_STREQ(text, "Strings");
  EXPECT_EQ(list.getSubMenu(1)->getNbEntries(), 2);

  int category = -1, item = -1;
  EXPECT_FALSE(list.chosenVoice(category, item));  // nothing chosen yet
  ASSERT_TRUE(list.takeChoice(list.getSubMenu(1), 1));
  ASSERT_TRUE(list.chosenVoice(category, item));
  EXPECT_EQ(category, 0);
  EXPECT_EQ(item, 1);
  char path[kLibraryPathSize];
  ASSERT_TRUE(list.chosenPath(library, path, sizeof(path)));
  EXPECT_STREQ(path, "/v/Pianos/Upright.v7v");
  ASSERT_TRUE(list.takeChoice(&list, 0));  // the name entry loads nothing
  EXPECT_FALSE(list.chosenVoice(category, item));

  // Without category folders the root's own voice files follow the name.
  test::FakeFolderLister flat;
  flat.addFile("/w", "Solo.v7v");
  library.rescan(flat, "/w");
  list.fill("My Voice", &library);
  ASSERT_EQ(list.getNbEntries(), 2);
  ASSERT_TRUE(list.takeChoice(&list, 1));
  ASSERT_TRUE(list.chosenPath(library, path, sizeof(path)));
  EXPECT_STREQ(path, "/w/Solo.v7v");
  list.fill("Only", nullptr);
  EXPECT_EQ(list.getNbEntries(), 1);
}

}  // namespace
}  // namespace vt
