#include "editor/morph_envelope_display.h"

#include <cmath>
#include <cstdio>

#include "editor/display_text.h"
#include "editor/editor_palette.h"
#include "engine/breakpoint_curve.h"

namespace vt {

namespace {

constexpr int kLongTickEvery = 4;
constexpr int kShortTick = 3;
constexpr int kLongTick = 6;

float limit01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

}  // namespace

MorphEnvelopeDisplay::MorphEnvelopeDisplay(const gui::Rect& size, gui::ControlListener* controlListener, int tag,
                                           const gui::GuiBitmap* background)
    : TimeCurveDisplay(size, controlListener, tag, background) {}

void MorphEnvelopeDisplay::bind(BreakpointCurve* curve) {
  envelope = curve;
  selectPoint(selectedPoint());
  setDirty();
}

void MorphEnvelopeDisplay::setSync(bool on) {
  synced = on;
  setDirty();
}

void MorphEnvelopeDisplay::setGroup(int g, bool isLinked) {
  envelopeGroup = g < 0 ? 0 : (g > 2 ? 2 : g);
  groupLinked = isLinked;
}

void MorphEnvelopeDisplay::setVariant(int variant) { variantIndex = variant ? 1 : 0; }

float MorphEnvelopeDisplay::timeOf(float u) const {
  float t = TimeCurveDisplay::timeOf(u);
  if (synced) t = std::round(t / kSyncStep) * kSyncStep;
  return t > kAxisSeconds ? kAxisSeconds : t;
}

int MorphEnvelopeDisplay::pointCount() const { return envelope ? envelope->count() : 0; }

void MorphEnvelopeDisplay::pointAt(int index, float& u, float& v) const {
  u = envelope ? positionOfTime(envelope->x(index)) : 0.0f;
  v = envelope ? envelope->y(index) : 0.0f;
}

bool MorphEnvelopeDisplay::movePointTo(int index, float u, float v) {
  if (!envelope || index < 0 || index >= envelope->count()) return false;
  float t = timeOf(u);
  const float before = index > 0 ? envelope->x(index - 1) : 0.0f;
  const float after = index < envelope->count() - 1 ? envelope->x(index + 1) : kAxisSeconds;
  t = t < before ? before : (t > after ? after : t);
  const float y = limit01(v);
  if (t == envelope->x(index) && y == envelope->y(index)) return false;
  envelope->movePoint(index, t, 0);
  envelope->setY(index, y);
  return true;
}

int MorphEnvelopeDisplay::insertPointAt(float u, float v) {
  if (!envelope) return -1;
  const float t = timeOf(u);
  if (!envelope->add(t, limit01(v))) return -1;
  for (int i = 0; i < envelope->count(); ++i)
    if (envelope->x(i) >= t) return i;
  return envelope->count() - 1;
}

bool MorphEnvelopeDisplay::deletePoint(int index) {
  if (!envelope || index < 0 || index >= envelope->count()) return false;
  envelope->removeAt(index);
  return true;
}

void MorphEnvelopeDisplay::drawGrid(gui::DrawContext& context, const gui::Rect& plot) {
  if (!synced) {
    TimeCurveDisplay::drawGrid(context, plot);
    return;
  }
  CurveEditor::drawGrid(context, plot);
  // Sync: a tick every 1/16 s, a longer one with the count of eighths (of a
  // 2-second bar, 1/4 s each) every fourth.
  const int firstTick = static_cast<int>(std::ceil(scrollOffset() / kSyncStep));
  const int lastTick = static_cast<int>(kAxisSeconds / kSyncStep);
  const float pixelsPerTick = kSyncStep / zoomSpan() * static_cast<float>(plot.width());
  // Labels only where they fit.
  int labelEvery = kLongTickEvery;
  while (pixelsPerTick * static_cast<float>(labelEvery) < 24.0f && labelEvery < 1024) labelEvery *= 2;
  char text[16];
  for (int k = firstTick; k <= lastTick; ++k) {
    const float u = positionOfTime(static_cast<float>(k) * kSyncStep);
    if (u > 1.0f) break;
    const int x = plot.left + static_cast<int>(u * static_cast<float>(plot.width()) + 0.5f);
    const bool longTick = k % kLongTickEvery == 0;
    context.setFillColor(longTick ? kDisplayLabelColor : kDisplayGridColor);
    if (pixelsPerTick >= 2.0f || longTick)
      context.fillRect(gui::Rect(x, plot.bottom - (longTick ? kLongTick : kShortTick), x + 1, plot.bottom));
    if (k % labelEvery == 0) {
      std::snprintf(text, sizeof(text), "%d/8", k / kLongTickEvery);
      drawDisplayLabel(context, digitStrip, x + 2, plot.bottom + 1, text, LabelAnchor::Left);
    }
  }
}

}  // namespace vt
