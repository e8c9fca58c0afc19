#include "gui/knob_base.h"

#include <cmath>

#include "gui/frame.h"
#include "gui/gui_bitmap.h"
#include "gui/gui_editor.h"

namespace vt::gui {

namespace {
constexpr float kPi = 3.14159265358979f;
constexpr float kGapMiddle = (360.0f + KnobBase::kRangeAngle) * 0.5f;  // the bottom of the gap
}  // namespace

KnobBase::KnobBase(const Rect& size, ControlListener* l, int t, const GuiBitmap* image) : Control(size, l, t, image) {}

Point KnobBase::centre() const { return Point(rect.left + rect.width() / 2, rect.top + rect.height() / 2); }

float KnobBase::angleOfValue(float value) const {
  const float range = getRange();
  const float norm = range > 0.0f ? (value - minValue) / range : 0.0f;
  return kStartAngle - norm * kRangeAngle;
}

float KnobBase::valueFromPoint(Point p) const {
  const float cx = static_cast<float>(rect.left) + static_cast<float>(rect.width()) * 0.5f;
  const float cy = static_cast<float>(rect.top) + static_cast<float>(rect.height()) * 0.5f;
  const float dx = static_cast<float>(p.x) + 0.5f - cx;
  const float dy = cy - (static_cast<float>(p.y) + 0.5f);  // upward positive
  float sweep = kStartAngle - std::atan2(dy, dx) * 180.0f / kPi;
  while (sweep < 0.0f) sweep += 360.0f;
  while (sweep >= 360.0f) sweep -= 360.0f;
  // In the gap at the bottom: the nearer end of the sweep.
  if (sweep > kRangeAngle) sweep = sweep < kGapMiddle ? kRangeAngle : 0.0f;
  return minValue + sweep / kRangeAngle * getRange();
}

void KnobBase::draw(DrawContext& context) {
  if (background && background->isLoaded()) context.drawBitmap(*background, rect);
  const float a = angleOfValue(getValue()) * kPi / 180.0f;
  const float cx = static_cast<float>(rect.left) + static_cast<float>(rect.width()) * 0.5f - 0.5f;
  const float cy = static_cast<float>(rect.top) + static_cast<float>(rect.height()) * 0.5f - 0.5f;
  const float radius = static_cast<float>(rect.width() < rect.height() ? rect.width() : rect.height()) * 0.5f - 3.0f;
  context.setFrameColor(handleColor);
  context.setLineWidth(2.0f);
  context.drawLine(cx, cy, cx + std::cos(a) * radius, cy - std::sin(a) * radius);
  context.setLineWidth(1.0f);
}

MouseResult KnobBase::onMouseDown(const MouseEvent& event) {
  if (!(event.buttons & kLeftButton)) return MouseResult::Handled;
  if (resetOnControlClick(event)) return MouseResult::Handled;
  beginEdit();
  const int mode = frame && frame->getEditor() ? frame->getEditor()->getKnobMode() : kCircularMode;
  const bool alt = (event.buttons & kAlt) != 0;
  circularDrag = mode == kLinearMode ? alt : !alt;
  fineDrag = (event.buttons & kShift) != 0;
  anchor = event.where;
  anchorValue = getValue();
  return MouseResult::Captured;
}

void KnobBase::onMouseMoved(const MouseEvent& event) {
  const float old = getValue();
  float value;
  if (circularDrag) {
    value = valueFromPoint(event.where);
    // A step across the gap would flip between the ends: stay at the end it came from.
    if (value - old > getRange() * 0.5f)
      value = minValue;
    else if (old - value > getRange() * 0.5f)
      value = maxValue;
  } else {
    const bool fine = (event.buttons & kShift) != 0;
    if (fine != fineDrag) {
      // A new scale starts where the value is now: no jump.
      fineDrag = fine;
      anchor = event.where;
      anchorValue = old;
    }
    const float pixels = static_cast<float>((event.where.x - anchor.x) - (event.where.y - anchor.y));
    value = anchorValue + pixels * getRange() / (fineDrag ? kFinePixelsPerRange : kPixelsPerRange);
    if (value < minValue) value = minValue;
    if (value > maxValue) value = maxValue;
  }
  if (value == old) return;
  setValue(value);
  notifyListener();
}

void KnobBase::onMouseUp(const MouseEvent&) { endEdit(); }

bool KnobBase::onWheel(Point, float distance, int modifiers) {
  const float step = getRange() * ((modifiers & kShift) ? 0.001f : 0.01f);
  float value = getValue() + distance * step;
  value = value < minValue ? minValue : (value > maxValue ? maxValue : value);
  if (value == getValue()) return true;
  beginEdit();
  setValue(value);
  notifyListener();
  endEdit();
  return true;
}

}  // namespace vt::gui
