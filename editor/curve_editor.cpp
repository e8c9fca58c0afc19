#include "editor/curve_editor.h"

#include <cmath>

#include "editor/display_canvas.h"
#include "editor/editor_palette.h"
#include "gui/gui_bitmap.h"

namespace vt {

namespace {

constexpr int kGridDivisions = 4;
constexpr float kCounterStep = 0.1f;
constexpr float kWheelZoomStep = 1.25f;

float limit01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

}  // namespace

CurveEditor::CurveEditor(const gui::Rect& size, gui::ControlListener* controlListener, int controlTag,
                         const gui::GuiBitmap* backgroundImage)
    : Control(size, controlListener, controlTag, backgroundImage),
      lineColor(kDisplayLineColor),
      pointColor(kDisplayPointColor) {
  setDefaultValue(0.0f);
}

gui::Rect CurveEditor::plotRect() const {
  return gui::Rect(rect.left + kInsetSide, rect.top + kInsetSide, rect.right - kInsetSide, rect.bottom - kInsetBottom);
}

void CurveEditor::selectPoint(int index) {
  const int n = pointCount();
  const int s = n <= 0 ? -1 : (index < 0 ? 0 : (index >= n ? n - 1 : index));
  const bool moved = s != selected;
  selected = s;
  if (moved) selectionChanged();
  setDirty();
}

void CurveEditor::setScroll(float offsetSeconds, float spanSeconds) {
  offset = offsetSeconds > 0.0f ? offsetSeconds : 0.0f;  // also NaN
  span = spanSeconds >= kMinSpan ? (spanSeconds <= kMaxSpan ? spanSeconds : kMaxSpan) : kMinSpan;
  setDirty();
}

gui::Point CurveEditor::pointPosition(int index) const {
  float u = 0.0f, v = 0.0f;
  pointAt(index, u, v);
  if (!std::isfinite(u)) u = 0.0f;
  if (!std::isfinite(v)) v = 0.0f;
  const gui::Rect plot = plotRect();
  const float x = static_cast<float>(plot.left) + u * static_cast<float>(plot.width());
  const float y = static_cast<float>(plot.bottom) - v * static_cast<float>(plot.height());
  // Far-off points (scrolled away) stay far off without overflowing.
  const float bound = 1.0e6f;
  return gui::Point{static_cast<int>(std::lround(x < -bound ? -bound : (x > bound ? bound : x))),
                    static_cast<int>(std::lround(y < -bound ? -bound : (y > bound ? bound : y)))};
}

int CurveEditor::hitTest(gui::Point p) const {
  int best = -1;
  long bestDistance = kHitDistanceSquared;
  const int n = pointCount();
  for (int i = 0; i < n; ++i) {
    const gui::Point q = pointPosition(i);
    const long dx = q.x - p.x;
    const long dy = q.y - p.y;
    const long d = dx * dx + dy * dy;
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  return best;
}

void CurveEditor::toPlot(gui::Point p, float& u, float& v) const {
  const gui::Rect plot = plotRect();
  const float w = plot.width() > 0 ? static_cast<float>(plot.width()) : 1.0f;
  const float h = plot.height() > 0 ? static_cast<float>(plot.height()) : 1.0f;
  u = limit01(static_cast<float>(p.x - plot.left) / w);
  v = limit01(static_cast<float>(plot.bottom - p.y) / h);
}

void CurveEditor::drawGrid(gui::DrawContext& context, const gui::Rect& plot) {
  context.setFillColor(kDisplayGridColor);
  for (int i = 1; i < kGridDivisions; ++i) {
    const int y = plot.top + plot.height() * i / kGridDivisions;
    context.fillRect(gui::Rect(plot.left, y, plot.right, y + 1));
  }
}

void CurveEditor::draw(gui::DrawContext& context) {
  const gui::Rect& r = rect;
  // Composed offscreen and copied in one block, so a drag never flickers.
  DisplayCanvas canvas(context, r);
  gui::DrawContext& dc = canvas.context();
  canvas.fillBackground(background);
  const gui::Rect plot = plotRect();
  dc.setClipRect(r);
  drawGrid(dc, plot);
  dc.setClipRect(plot.inset(-1, -1).intersect(r));
  const int n = pointCount();
  if (n > 0) {
    dc.setFrameColor(lineColor);
    dc.setLineWidth(1.5f);
    gui::Point previous = pointPosition(0);
    for (int i = 1; i < n; ++i) {
      const gui::Point p = pointPosition(i);
      // Segments wholly off to one side are skipped (a scrolled time axis).
      if (!((previous.x < plot.left && p.x < plot.left) || (previous.x > plot.right && p.x > plot.right)))
        dc.drawLine(static_cast<float>(previous.x), static_cast<float>(previous.y), static_cast<float>(p.x),
                    static_cast<float>(p.y));
      previous = p;
    }
    dc.setLineWidth(1.0f);
    const int half = kPointSize / 2;
    for (int i = 0; i < n; ++i) {
      const gui::Point p = pointPosition(i);
      if (p.x < plot.left - kPointSize || p.x > plot.right + kPointSize) continue;
      const bool marked = showAll || i == selected;
      const gui::Rect box = gui::Rect::fromSize(p.x - half, p.y - half, kPointSize, kPointSize);
      if (marked) {
        dc.setFillColor(pointColor);
        dc.fillRect(box);
      } else {
        dc.setFrameColor(lineColor);
        dc.drawRect(box);
      }
    }
  }
  dc.setClipRect(r);
  drawOverlay(dc, plot);
  dc.setFrameColor(kFieldEdgeColor);
  dc.drawRect(r);
}

gui::MouseResult CurveEditor::onMouseDown(const gui::MouseEvent& event) {
  const bool left = (event.buttons & gui::kLeftButton) != 0;
  const bool right = (event.buttons & gui::kRightButton) != 0;
  if (!(left || right) || !rect.contains(event.where)) return gui::MouseResult::Ignored;
  changed = false;
  beginEdit();
  const gui::Rect plot = plotRect();
  lastX = event.where.x;
  if (scrollStrip && event.where.y >= plot.bottom) {
    drag = Drag::Scroll;
    return gui::MouseResult::Captured;
  }
  const int hit = hitTest(event.where);
  drag = Drag::Idle;
  if (right) {
    // Only a point is deleted; empty space is left alone.
    if (hit >= 0 && deletePoint(hit)) {
      changed = true;
      const int n = pointCount();
      selected = n <= 0 ? -1 : (selected >= n ? n - 1 : selected);
      selectionChanged();
      setDirty();
    }
    return gui::MouseResult::Captured;
  }
  if (hit >= 0) {
    const gui::Point p = pointPosition(hit);
    grabOffset = gui::Point{event.where.x - p.x, event.where.y - p.y};
    selectPoint(hit);
    drag = Drag::Point;
    return gui::MouseResult::Captured;
  }
  float u = 0.0f, v = 0.0f;
  toPlot(event.where, u, v);
  const int inserted = insertPointAt(u, v);
  if (inserted >= 0) {
    changed = true;
    grabOffset = gui::Point{};
    selectPoint(inserted);
    selectionChanged();
    drag = Drag::Point;  // the new point follows the cursor until release
  }
  setDirty();
  return gui::MouseResult::Captured;
}

void CurveEditor::onMouseMoved(const gui::MouseEvent& event) {
  if (drag == Drag::Scroll) {
    const int d = lastX - event.where.x;
    lastX = event.where.x;
    if (d != 0 && rect.width() > 0) {
      setScroll(offset + static_cast<float>(d) * span / static_cast<float>(rect.width()), span);
      setDirty();
    }
    return;
  }
  if (drag != Drag::Point || selected < 0) return;
  float u = 0.0f, v = 0.0f;
  toPlot(gui::Point{event.where.x - grabOffset.x, event.where.y - grabOffset.y}, u, v);
  if (movePointTo(selected, u, v)) changed = true;
  setDirty();
}

void CurveEditor::onMouseUp(const gui::MouseEvent& /*event*/) {
  drag = Drag::None;
  finishEdit();
}

void CurveEditor::onMouseCancelled() {
  drag = Drag::None;
  finishEdit();
}

void CurveEditor::finishEdit() {
  if (changed) {
    changed = false;
    float counter = getValue() + kCounterStep;
    if (counter > 1.0f) counter -= 1.0f;
    setValue(counter);
    notifyListener();
    endEdit();
    if (editListener) editListener->editFinished(this);
  } else if (isEditing()) {
    endEdit();
  }
  setDirty();
}

bool CurveEditor::onWheel(gui::Point where, float distance, int /*modifiers*/) {
  if (!scrollStrip || !(distance == distance) || distance == 0.0f) return false;
  const gui::Rect plot = plotRect();
  const float u = plot.width() > 0 ? limit01(static_cast<float>(where.x - plot.left) / plot.width()) : 0.0f;
  const float anchor = timeAt(u);
  const float newSpan = distance > 0.0f ? span / kWheelZoomStep : span * kWheelZoomStep;
  setScroll(offset, newSpan);
  setScroll(anchor - u * span, span);  // the time under the cursor stays put
  return true;
}

}  // namespace vt
