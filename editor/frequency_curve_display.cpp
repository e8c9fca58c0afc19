#include "editor/frequency_curve_display.h"

#include <cstdio>

#include "editor/display_text.h"
#include "editor/editor_palette.h"
#include "editor/frequency_axis.h"
#include "engine/breakpoint_curve.h"
#include "engine/noise_set.h"

namespace vt {

namespace {

constexpr int kLabelGap = 1;
constexpr float kGridHz[] = {100.0f, 1000.0f, 5000.0f, 10000.0f};

}  // namespace

FrequencyCurveDisplay::FrequencyCurveDisplay(const gui::Rect& size, gui::ControlListener* controlListener, int tag,
                                             float range, const gui::GuiBitmap* background)
    : CurveEditor(size, controlListener, tag, background), verticalRange(range > 0.0f ? range : 1.0f) {}

void FrequencyCurveDisplay::bind(BreakpointCurve* boundCurve) {
  noise = nullptr;
  frameIndex = 0;
  curve = boundCurve;
  selectPoint(0);
  setDirty();
}

void FrequencyCurveDisplay::bind(NoiseSet* set, int frame) {
  noise = set;
  showFrame(frame);
}

void FrequencyCurveDisplay::showFrame(int frame) {
  frameIndex = frame;
  curve = (noise && frame >= 0 && frame < noise->count && noise->frames) ? &noise->frames[frame].spectrum : nullptr;
  selectPoint(selectedPoint());
  setDirty();
}

int FrequencyCurveDisplay::pointCount() const { return curve ? curve->count() : 0; }

void FrequencyCurveDisplay::pointAt(int index, float& u, float& v) const {
  u = curve ? positionOfFrequency(curve->x(index) * kCurveNyquistHz) : 0.0f;
  v = curve ? curve->y(index) / verticalRange : 0.0f;
}

bool FrequencyCurveDisplay::movePointTo(int index, float u, float v) {
  if (!curve || index < 0 || index >= curve->count()) return false;
  float x = frequencyAtPosition(u) / kCurveNyquistHz;
  // The curve stays ordered: a point stops at its neighbours.
  const float before = index > 0 ? curve->x(index - 1) : 0.0f;
  const float after = index < curve->count() - 1 ? curve->x(index + 1) : 1.0f;
  if (x < before) x = before;
  if (x > after) x = after;
  const float y = v * verticalRange;
  if (x == curve->x(index) && y == curve->y(index)) return false;
  curve->movePoint(index, x, 0);
  curve->setY(index, y);
  if (noise && frameIndex >= 0 && frameIndex < noise->count) noise->frames[frameIndex].resample();
  return true;
}

int FrequencyCurveDisplay::insertPointAt(float u, float v) {
  if (!curve) return -1;
  const float x = frequencyAtPosition(u) / kCurveNyquistHz;
  if (!curve->add(x, v * verticalRange)) return -1;
  if (noise && frameIndex >= 0 && frameIndex < noise->count) noise->frames[frameIndex].resample();
  for (int i = 0; i < curve->count(); ++i)
    if (curve->x(i) >= x) return i;
  return curve->count() - 1;
}

bool FrequencyCurveDisplay::deletePoint(int index) {
  if (!curve || index < 0 || index >= curve->count()) return false;
  curve->removeAt(index);
  if (noise && frameIndex >= 0 && frameIndex < noise->count) noise->frames[frameIndex].resample();
  return true;
}

void FrequencyCurveDisplay::drawGrid(gui::DrawContext& context, const gui::Rect& plot) {
  CurveEditor::drawGrid(context, plot);
  context.setFillColor(kDisplayGridColor);
  for (float hz : kGridHz) {
    const int x = plot.left + static_cast<int>(positionOfFrequency(hz) * static_cast<float>(plot.width()) + 0.5f);
    context.fillRect(gui::Rect(x, plot.top, x + 1, plot.bottom));
  }
  char middle[16];
  std::snprintf(middle, sizeof(middle), "%d", static_cast<int>(frequencyAtPosition(0.5f)));
  const int y = plot.bottom + kLabelGap;
  drawDisplayLabel(context, digitStrip, plot.left, y, "20", LabelAnchor::Left);
  drawDisplayLabel(context, digitStrip, (plot.left + plot.right) / 2, y, middle, LabelAnchor::Centre);
  drawDisplayLabel(context, digitStrip, plot.right, y, "22000", LabelAnchor::Right);
}

}  // namespace vt
