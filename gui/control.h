// A view with a value: a float (normally 0..1) with minimum, maximum and
// default, a tag, a listener and the images it draws from. setValue may be
// called from any thread: it only stores the value and marks the control dirty;
// nothing goes to the listener. Gestures change the value and notify the
// listener through valueChanged(); drags are bracketed with beginEdit/endEdit,
// which reach the editor (and through it the host) with the control's tag.
#pragma once

#include <atomic>

#include "gui/view.h"

namespace vt::gui {

class Control;

class ControlListener {
public:
  virtual ~ControlListener() = default;
  // A gesture changed the control's value. context is nullptr: nothing draws
  // during a gesture; the frame redraws what became dirty at the next idle.
  virtual void valueChanged(DrawContext* context, Control* control) = 0;
};

class Control : public View {
public:
  Control(const Rect& size, ControlListener* listener, int tag, const GuiBitmap* background = nullptr);

  // Stores the value (limited to min..max; NaN ignored) and marks dirty when it changed. Any thread.
  virtual void setValue(float value);
  virtual float getValue() const { return currentValue.load(std::memory_order_acquire); }
  virtual void setDefaultValue(float value) { defaultValue = value; }
  virtual float getDefaultValue() const { return defaultValue; }
  void setMin(float v) { minValue = v; }
  void setMax(float v) { maxValue = v; }
  float getMin() const { return minValue; }
  float getMax() const { return maxValue; }
  float getRange() const { return maxValue - minValue; }
  // 0..1 position of the value between min and max.
  float getNormalizedValue() const;

  int getTag() const { return tag; }
  void setTag(int t) { tag = t; }
  ControlListener* getListener() const { return listener; }
  void setListener(ControlListener* l) { listener = l; }

  // A gesture's change: tells the listener (the view is redrawn at the next idle).
  void notifyListener();
  // A Ctrl-click returns the control to its default value and tells the
  // listener; true when the click was one.
  bool resetOnControlClick(const MouseEvent& event);
  // Brackets a drag: passed to the frame's editor (host begin/end of a parameter edit).
  void beginEdit();
  void endEdit();
  bool isEditing() const { return editing; }

  // The capture ended without a release: close an open edit.
  void onMouseCancelled() override;

protected:
  ControlListener* listener;
  int tag;
  float minValue = 0.0f;
  float maxValue = 1.0f;
  float defaultValue = 0.5f;
  bool editing = false;

private:
  std::atomic<float> currentValue{0.0f};
};

}  // namespace vt::gui
