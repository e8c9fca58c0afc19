#include "editor/harmonics_display.h"

#include <cstdio>

#include "editor/display_canvas.h"
#include "editor/display_text.h"
#include "editor/editor_palette.h"
#include "engine/harmonic_set.h"
#include "gui/gui_bitmap.h"

namespace vt {

namespace {

constexpr int kFullWidthHarmonics = 64;
constexpr int kModes = 8;
constexpr float kCounterStep = 0.1f;

float limit(float v, float lo, float hi) { return v < lo ? lo : (v > hi ? hi : v); }

bool isOctave(int j) { return j == 1 || j == 2 || j == 4 || j == 8 || j == 16 || j == 32 || j == 64; }

float peakOf(const BreakpointCurve& c) {
  float peak = 0.0f;
  for (int i = 0; i < c.count(); ++i)
    if (c.y(i) > peak) peak = c.y(i);
  return peak;
}

}  // namespace

HarmonicsDisplay::HarmonicsDisplay(const gui::Rect& size, gui::ControlListener* controlListener, int controlTag,
                                   const gui::GuiBitmap* backgroundImage)
    : Control(size, controlListener, controlTag, backgroundImage) {
  setDefaultValue(0.0f);
}

void HarmonicsDisplay::bind(HarmonicSet* set) {
  harmonics = set;
  setDirty();
}

void HarmonicsDisplay::setView(const HarmonicsView& view) {
  settings = view;
  settings.harmonicCount = view.harmonicCount == 32 ? 32 : kFullWidthHarmonics;
  settings.editMode = view.editMode < 0 ? 0 : (view.editMode >= kModes ? kModes - 1 : view.editMode);
  setDirty();
}

void HarmonicsDisplay::setSelectedTime(int index) {
  timeIndex = index < 0 ? 0 : index;
  setDirty();
}

gui::Rect HarmonicsDisplay::plotRect() const {
  return gui::Rect(rect.left + kInsetSide, rect.top + kInsetSide, rect.right - kInsetSide, rect.bottom - kInsetBottom);
}

int HarmonicsDisplay::columnWidth() const { return 8 * kFullWidthHarmonics / settings.harmonicCount; }

int HarmonicsDisplay::harmonicAt(int x) const {
  const int offset = x - plotRect().left;
  const int h = (offset < 0 ? 0 : offset / columnWidth()) + 1;
  return h > settings.harmonicCount ? settings.harmonicCount : h;
}

float HarmonicsDisplay::modeWeight(int mode, int j, int i) {
  switch (mode) {
    case 0:
      return j == i ? 1.0f : 0.0f;
    case 1:
      return j % 2 == 1 ? 1.0f : 0.0f;
    case 2:
      return j % 2 == 0 ? 1.0f : 0.0f;
    case 3:
      return j % 5 == 0 ? 1.0f : 0.0f;
    case 4:
      return isOctave(j) ? 1.0f : 0.0f;
    case 5:
      return static_cast<float>(j) / 64.0f;
    case 6:
      return 1.0f - static_cast<float>(j) / 64.0f;
    case 7:
      return 1.0f;
    default:
      return 0.0f;
  }
}

float HarmonicsDisplay::barValue(int harmonic) const {
  if (!harmonics || harmonic < 1 || harmonic > HarmonicSet::kHarmonics) return 0.0f;
  if (settings.frequency) {
    const BreakpointCurve& f = harmonics->frequency[harmonic - 1];
    if (f.count() == 0) return 0.0f;
    const float value = settings.wholeEnvelope ? f.mean() : f.y(timeIndex < f.count() ? timeIndex : f.count() - 1);
    return limit(value - static_cast<float>(harmonic), -1.0f, 1.0f);
  }
  const BreakpointCurve& a = harmonics->amplitude[harmonic - 1];
  if (a.count() == 0) return 0.0f;
  return limit(settings.wholeEnvelope ? peakOf(a) : a.y(timeIndex < a.count() ? timeIndex : a.count() - 1), 0.0f, 1.0f);
}

void HarmonicsDisplay::draw(gui::DrawContext& context) {
  const gui::Rect& r = rect;
  DisplayCanvas canvas(context, r);
  gui::DrawContext& dc = canvas.context();
  dc.setClipRect(r);
  canvas.fillBackground(background);
  const gui::Rect plot = plotRect();
  const int n = settings.harmonicCount;
  const int column = columnWidth();
  const int barWidth = 7 * kFullWidthHarmonics / n + 1;
  const int middle = (plot.top + plot.bottom) / 2;
  dc.setFillColor(kDisplayGridColor);
  if (settings.frequency) dc.fillRect(gui::Rect(plot.left, middle, plot.right, middle + 1));
  char text[16];
  for (int h = 1; h <= n; ++h) {
    const int x = plot.left + (h - 1) * column;
    const float value = barValue(h);
    gui::Rect bar;
    if (settings.frequency) {
      const int dy = static_cast<int>(value * static_cast<float>(plot.height() / 2) + (value < 0 ? -0.5f : 0.5f));
      bar = dy >= 0 ? gui::Rect(x, middle - dy, x + barWidth - 1, middle + 1)
                    : gui::Rect(x, middle, x + barWidth - 1, middle - dy + 1);
    } else {
      const int height = static_cast<int>(value * static_cast<float>(plot.height()) + 0.5f);
      bar = gui::Rect(x, plot.bottom - height, x + barWidth - 1, plot.bottom);
    }
    if (!bar.isEmpty()) {
      dc.setFillColor(kDisplayBarColor);
      dc.fillRect(bar);
      dc.setFillColor(kDisplayBarTopColor);
      const int edge = settings.frequency && value < 0.0f ? bar.bottom - 1 : bar.top;
      dc.fillRect(gui::Rect(bar.left, edge, bar.right, edge + 1));
    }
    // Numbers under every column; with 64 narrow columns under every other one,
    // so that the numbers stay apart.
    if (column >= 12 || h % 2 == 1) {
      std::snprintf(text, sizeof(text), "%02d", h);
      drawDisplayLabel(dc, digitStrip, x + (n == 32 ? 3 : 0), plot.bottom + 1, text, LabelAnchor::Left);
    }
  }
  dc.setFrameColor(kFieldEdgeColor);
  dc.drawRect(r);
}

gui::MouseResult HarmonicsDisplay::onMouseDown(const gui::MouseEvent& event) {
  if (!(event.buttons & gui::kLeftButton) || !plotRect().contains(event.where)) return gui::MouseResult::Ignored;
  beginEdit();
  dragging = true;
  changed = false;
  pressedHarmonic = harmonicAt(event.where.x);
  lastY = event.where.y;
  // "One" on amplitudes follows the cursor at once; the rest moves by the drag.
  if (settings.editMode == 0 && !settings.frequency) editStep(event.where.y);
  return gui::MouseResult::Captured;
}

void HarmonicsDisplay::onMouseMoved(const gui::MouseEvent& event) {
  if (!dragging) return;
  if (settings.editMode == 0) pressedHarmonic = harmonicAt(event.where.x);
  editStep(event.where.y);
}

void HarmonicsDisplay::onMouseUp(const gui::MouseEvent& /*event*/) { onMouseCancelled(); }

void HarmonicsDisplay::onMouseCancelled() {
  if (!dragging) {
    Control::onMouseCancelled();
    return;
  }
  dragging = false;
  if (changed) {
    changed = false;
    float counter = getValue() + kCounterStep;
    if (counter > 1.0f) counter -= 1.0f;
    setValue(counter);
    notifyListener();
    endEdit();
    if (editListener) editListener->editFinished(this);
  } else {
    endEdit();
  }
  setDirty();
}

void HarmonicsDisplay::fillEmpty(int harmonic) {
  BreakpointCurve& a = harmonics->amplitude[harmonic - 1];
  if (a.count() > 0 || harmonic == 1) return;
  // An empty harmonic takes harmonic 1's times, silent, at its own number.
  const BreakpointCurve& a1 = harmonics->amplitude[0];
  const BreakpointCurve& f1 = harmonics->frequency[0];
  BreakpointCurve& f = harmonics->frequency[harmonic - 1];
  for (int i = 0; i < a1.count(); ++i) a.add(a1.x(i), 0.0f);
  if (f.count() == 0)
    for (int i = 0; i < f1.count(); ++i) f.add(f1.x(i), static_cast<float>(harmonic));
}

void HarmonicsDisplay::setAmplitude(int harmonic, float u) {
  BreakpointCurve& a = harmonics->amplitude[harmonic - 1];
  if (a.count() == 0) return;
  const float lowest = harmonic == 1 ? kLowestFundamental : 0.0f;
  u = limit(u, lowest, 1.0f);
  if (!settings.wholeEnvelope) {
    a.setY(timeIndex < a.count() ? timeIndex : a.count() - 1, u);
    return;
  }
  if (!(peakOf(a) > 0.0f)) {
    // A silent list first takes the shape of the nearest lower audible
    // harmonic, else the nearest higher one.
    const BreakpointCurve* shape = nullptr;
    for (int h = harmonic - 1; h >= 1 && !shape; --h)
      if (peakOf(harmonics->amplitude[h - 1]) > 0.0f) shape = &harmonics->amplitude[h - 1];
    for (int h = harmonic + 1; h <= HarmonicSet::kHarmonics && !shape; ++h)
      if (peakOf(harmonics->amplitude[h - 1]) > 0.0f) shape = &harmonics->amplitude[h - 1];
    if (!shape) {
      for (int i = 0; i < a.count(); ++i) a.setY(i, u);
      return;
    }
    for (int i = 0; i < a.count(); ++i) a.setY(i, shape->y(i));
  }
  a.scaleToPeak(u);
}

void HarmonicsDisplay::setFrequency(int harmonic, float value) {
  BreakpointCurve& f = harmonics->frequency[harmonic - 1];
  if (f.count() == 0) return;
  if (settings.wholeEnvelope)
    f.shiftMeanTo(value);
  else
    f.setY(timeIndex < f.count() ? timeIndex : f.count() - 1, value);
}

void HarmonicsDisplay::editStep(int y) {
  if (!harmonics) return;
  const gui::Rect plot = plotRect();
  const float height = plot.height() > 0 ? static_cast<float>(plot.height()) : 1.0f;
  const float rise = static_cast<float>(lastY - y);  // upward movement since the last step
  lastY = y;
  const int mode = settings.editMode;
  // Only "One" on amplitudes is absolute; everything else moves by the drag.
  const bool absolute = mode == 0 && !settings.frequency;
  if (!absolute && rise == 0.0f) return;
  for (int j = 1; j <= settings.harmonicCount; ++j) {
    const float w = modeWeight(mode, j, pressedHarmonic);
    if (w == 0.0f) continue;
    fillEmpty(j);
    if (settings.frequency) {
      const float deviation = limit(barValue(j) + w * rise / (height / 2), -1.0f, 1.0f);
      setFrequency(j, static_cast<float>(j) + deviation);
    } else {
      const float u = absolute ? static_cast<float>(plot.bottom - y) / height : barValue(j) + w * rise / height;
      setAmplitude(j, u);
    }
    changed = true;
  }
  if (changed) harmonics->buildTotal();
  setDirty();
}

}  // namespace vt
