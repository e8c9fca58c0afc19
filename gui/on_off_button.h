// A two-state button: the image holds the off state in its upper half and the
// on state in its lower half. A left press toggles between 0 and 1 and notifies.
#pragma once

#include "gui/control.h"

namespace vt::gui {

class OnOffButton : public Control {
public:
  OnOffButton(const Rect& size, ControlListener* listener, int tag, const GuiBitmap* image);
  void draw(DrawContext& context) override;
  MouseResult onMouseDown(const MouseEvent& event) override;
  bool isOn() const { return getValue() > 0.5f; }
};

}  // namespace vt::gui
