#include "gui/control.h"

#include <cmath>

#include "gui/frame.h"
#include "gui/gui_editor.h"

namespace vt::gui {

Control::Control(const Rect& size, ControlListener* controlListener, int controlTag, const GuiBitmap* image)
    : View(size), listener(controlListener), tag(controlTag) {
  background = image;
}

void Control::setValue(float value) {
  if (std::isnan(value)) return;
  if (value < minValue) value = minValue;
  if (value > maxValue) value = maxValue;
  const float old = currentValue.exchange(value, std::memory_order_acq_rel);
  if (old != value) setDirty();
}

float Control::getNormalizedValue() const {
  const float range = maxValue - minValue;
  if (!(range > 0.0f)) return 0.0f;
  const float v = (getValue() - minValue) / range;
  return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}

void Control::notifyListener() {
  if (listener) listener->valueChanged(nullptr, this);
}

bool Control::resetOnControlClick(const MouseEvent& event) {
  if (!(event.buttons & kControl)) return false;
  setValue(getDefaultValue());
  notifyListener();
  return true;
}

void Control::beginEdit() {
  if (editing) return;
  editing = true;
  if (frame && frame->getEditor()) frame->getEditor()->beginEdit(tag);
}

void Control::endEdit() {
  if (!editing) return;
  editing = false;
  if (frame && frame->getEditor()) frame->getEditor()->endEdit(tag);
}

void Control::onMouseCancelled() { endEdit(); }

}  // namespace vt::gui
