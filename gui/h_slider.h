// A horizontal slider: a track image and a handle image. The handle's left edge
// runs from the track's left + offset to its right - handle width - offset.
// A press jumps the handle under the cursor (keeping it centred on the cursor)
// and drags it; Shift drags finely (a fifth of the speed, without a jump);
// Control-press resets to the default. Begin/end edit around the drag.
#pragma once

#include "gui/control.h"

namespace vt::gui {

class HSlider : public Control {
public:
  HSlider(const Rect& size, ControlListener* listener, int tag, const GuiBitmap* track, const GuiBitmap* handle,
          int offset = 0);

  void draw(DrawContext& context) override;
  MouseResult onMouseDown(const MouseEvent& event) override;
  void onMouseMoved(const MouseEvent& event) override;
  void onMouseUp(const MouseEvent& event) override;

  // The handle rectangle (parent coordinates) for the current value.
  Rect handleRect() const;

private:
  float valueAtX(int x) const;
  const GuiBitmap* handle;
  int offset;
  bool fineDrag = false;
  int anchorX = 0;
  float anchorValue = 0.0f;
};

}  // namespace vt::gui
