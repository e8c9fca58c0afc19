// The knob: the value maps to an angle from 225 degrees (minimum) clockwise
// over 270 degrees to -45 degrees (maximum). Mouse (left button):
//  - Control-press: the default value, notified, done.
//  - Otherwise begin-edit, then a drag: linear or circular by the host's knob
//    mode (linear mode 2: plain press linear, Alt circular; other modes the
//    reverse). Linear: (dx - dy) * range / 200 per pixel (right and up
//    increase), range / 300 with Shift; pressing or releasing Shift mid-drag
//    changes the scale without a jump. Circular: the value follows the cursor's
//    angle around the centre; a step of more than half the range (across the
//    gap at the bottom) pins to the nearer end instead. Every change notifies;
//    end-edit on release.
// The mouse wheel steps the value by a hundredth of the range (a thousandth
// with Shift), as one edit each.
// Subclasses draw (a film strip, a handle); this base draws a simple pointer.
#pragma once

#include "gui/control.h"

namespace vt::gui {

// The host's knob modes (effSetEditKnobMode).
enum KnobMode : int { kCircularMode = 0, kRelativeCircularMode = 1, kLinearMode = 2 };

class KnobBase : public Control {
public:
  static constexpr float kStartAngle = 225.0f;  // degrees at the minimum
  static constexpr float kRangeAngle = 270.0f;  // clockwise sweep to the maximum
  static constexpr float kPixelsPerRange = 200.0f;
  static constexpr float kFinePixelsPerRange = 300.0f;

  KnobBase(const Rect& size, ControlListener* listener, int tag, const GuiBitmap* background = nullptr);

  void draw(DrawContext& context) override;
  MouseResult onMouseDown(const MouseEvent& event) override;
  void onMouseMoved(const MouseEvent& event) override;
  void onMouseUp(const MouseEvent& event) override;
  bool onWheel(Point where, float distance, int modifiers) override;

  // The angle (degrees, mathematical orientation) that shows a value.
  float angleOfValue(float value) const;
  // The value that the cursor at p (parent coordinates) points at, on the sweep.
  float valueFromPoint(Point p) const;
  Point centre() const;

  void setHandleColor(Color c) { handleColor = c; }

protected:
  Color handleColor = rgb(255, 255, 255);

private:
  bool circularDrag = false;
  bool fineDrag = false;
  Point anchor;
  float anchorValue = 0.0f;
};

}  // namespace vt::gui
