// A push button: a left press sets 1 (notified); the value follows whether the
// cursor is over the button (0 when it leaves, 1 when it comes back, each change
// notified); the release sets 0 and notifies again. The image holds the up
// state in its upper half and the pressed state in its lower half.
#pragma once

#include "gui/control.h"

namespace vt::gui {

class KickButton : public Control {
public:
  KickButton(const Rect& size, ControlListener* listener, int tag, const GuiBitmap* image);
  void draw(DrawContext& context) override;
  MouseResult onMouseDown(const MouseEvent& event) override;
  void onMouseMoved(const MouseEvent& event) override;
  void onMouseUp(const MouseEvent& event) override;
  void onMouseCancelled() override;

private:
  void follow(Point where);
};

}  // namespace vt::gui
