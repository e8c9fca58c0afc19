#include "gui/h_slider.h"

#include "gui/gui_bitmap.h"

namespace vt::gui {

namespace {
constexpr float kFineFactor = 5.0f;
}

HSlider::HSlider(const Rect& size, ControlListener* l, int t, const GuiBitmap* track, const GuiBitmap* handleImage,
                 int handleOffset)
    : Control(size, l, t, track), handle(handleImage), offset(handleOffset) {}

Rect HSlider::handleRect() const {
  const int hw = handle && handle->isLoaded() ? handle->getWidth() : 8;
  const int hh = handle && handle->isLoaded() ? handle->getHeight() : rect.height();
  const int travel = rect.width() - hw - 2 * offset;
  const int x = rect.left + offset + static_cast<int>(getNormalizedValue() * static_cast<float>(travel) + 0.5f);
  const int y = rect.top + (rect.height() - hh) / 2;
  return Rect::fromSize(x, y, hw, hh);
}

void HSlider::draw(DrawContext& context) {
  if (background && background->isLoaded())
    context.drawBitmap(*background, rect);
  else {
    context.setFillColor(rgb(40, 40, 40));
    context.fillRect(rect);
  }
  const Rect h = handleRect();
  if (handle && handle->isLoaded())
    context.drawBitmap(*handle, h);
  else {
    context.setFillColor(rgb(220, 220, 220));
    context.fillRect(h);
  }
}

float HSlider::valueAtX(int x) const {
  const int hw = handle && handle->isLoaded() ? handle->getWidth() : 8;
  const int travel = rect.width() - hw - 2 * offset;
  if (travel <= 0) return minValue;
  float norm = static_cast<float>(x - rect.left - offset - hw / 2) / static_cast<float>(travel);
  norm = norm < 0.0f ? 0.0f : (norm > 1.0f ? 1.0f : norm);
  return minValue + norm * getRange();
}

MouseResult HSlider::onMouseDown(const MouseEvent& event) {
  if (!(event.buttons & kLeftButton)) return MouseResult::Handled;
  if (resetOnControlClick(event)) return MouseResult::Handled;
  beginEdit();
  fineDrag = (event.buttons & kShift) != 0;
  if (!fineDrag && !handleRect().contains(event.where)) {
    // A press beside the handle brings it under the cursor.
    const float v = valueAtX(event.where.x);
    if (v != getValue()) {
      setValue(v);
      notifyListener();
    }
  }
  anchorX = event.where.x;
  anchorValue = getValue();
  return MouseResult::Captured;
}

void HSlider::onMouseMoved(const MouseEvent& event) {
  const bool fine = (event.buttons & kShift) != 0;
  if (fine != fineDrag) {
    fineDrag = fine;
    anchorX = event.where.x;
    anchorValue = getValue();
  }
  const int hw = handle && handle->isLoaded() ? handle->getWidth() : 8;
  const int travel = rect.width() - hw - 2 * offset;
  if (travel <= 0) return;
  float v = anchorValue + static_cast<float>(event.where.x - anchorX) * getRange() / static_cast<float>(travel) /
                              (fineDrag ? kFineFactor : 1.0f);
  v = v < minValue ? minValue : (v > maxValue ? maxValue : v);
  if (v == getValue()) return;
  setValue(v);
  notifyListener();
}

void HSlider::onMouseUp(const MouseEvent&) { endEdit(); }

}  // namespace vt::gui
