#include "editor/time_curve_display.h"

#include <cmath>
#include <cstdio>

#include "editor/display_text.h"
#include "editor/editor_palette.h"

namespace vt {

namespace {

constexpr int kFlagWidth = 6;
constexpr int kFlagHeight = 5;
constexpr int kMaxGridLines = 24;

}  // namespace

TimeCurveDisplay::TimeCurveDisplay(const gui::Rect& size, gui::ControlListener* controlListener, int tag,
                                   const gui::GuiBitmap* background)
    : CurveEditor(size, controlListener, tag, background) {
  enableScrollStrip(true);
}

void TimeCurveDisplay::setLoopMarkers(const LoopMarkers& markers) {
  loop = markers;
  setDirty();
}

void TimeCurveDisplay::setEnvelopeMode(int mode) { moveMode = mode < 0 ? 0 : (mode > 2 ? 2 : mode); }

float TimeCurveDisplay::timeOf(float u) const {
  const float t = timeAt(u);
  return t > 0.0f ? t : 0.0f;
}

void TimeCurveDisplay::drawGrid(gui::DrawContext& context, const gui::Rect& plot) {
  CurveEditor::drawGrid(context, plot);
  // A line per second, or per 2, 5, 10 ... seconds when zoomed out.
  float step = 1.0f;
  const float steps[] = {0.25f, 0.5f, 1.0f, 2.0f, 5.0f, 10.0f};
  for (float s : steps) {
    step = s;
    if (zoomSpan() / s <= kMaxGridLines / 2) break;
  }
  const float first = std::ceil(scrollOffset() / step) * step;
  char text[16];
  for (int k = 0; k <= kMaxGridLines; ++k) {
    const float t = first + static_cast<float>(k) * step;
    const float u = positionOfTime(t);
    if (u > 1.0f) break;
    const int x = plot.left + static_cast<int>(u * static_cast<float>(plot.width()) + 0.5f);
    context.setFillColor(kDisplayGridColor);
    context.fillRect(gui::Rect(x, plot.top, x + 1, plot.bottom));
    // Whole seconds are labelled; finer lines only divide them.
    if (std::fabs(t - std::round(t)) > 0.001f) continue;
    std::snprintf(text, sizeof(text), "%d", static_cast<int>(std::lround(t)));
    drawDisplayLabel(context, digitStrip, x + 2, plot.bottom + 1, text, LabelAnchor::Left);
  }
}

void TimeCurveDisplay::drawOverlay(gui::DrawContext& context, const gui::Rect& plot) {
  if (!loop.shown) return;
  const float times[2] = {loop.start, loop.end};
  context.setFillColor(kLoopFlagColor);
  for (int k = 0; k < 2; ++k) {
    const float u = positionOfTime(times[k]);
    if (!(u >= 0.0f && u <= 1.0f)) continue;
    const int x = plot.left + static_cast<int>(u * static_cast<float>(plot.width()) + 0.5f);
    context.fillRect(gui::Rect(x, plot.top, x + 1, plot.bottom));
    // The start flag points right, the end flag left.
    const gui::Rect flag = k == 0 ? gui::Rect::fromSize(x + 1, plot.top, kFlagWidth, kFlagHeight)
                                  : gui::Rect::fromSize(x - kFlagWidth, plot.top, kFlagWidth, kFlagHeight);
    context.fillRect(flag);
  }
}

}  // namespace vt
