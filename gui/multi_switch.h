// A switch of n states drawn from a film of n frames stacked vertically;
// value = state / (n - 1). A left press steps to the next state, a right
// press (or Shift-press) to the previous one, wrapping; each step notifies.
#pragma once

#include "gui/control.h"

namespace vt::gui {

class MultiSwitch : public Control {
public:
  MultiSwitch(const Rect& size, ControlListener* listener, int tag, int states, const GuiBitmap* film);
  void draw(DrawContext& context) override;
  MouseResult onMouseDown(const MouseEvent& event) override;
  int states() const { return stateCount; }
  int currentState() const;

private:
  int stateCount;
};

}  // namespace vt::gui
