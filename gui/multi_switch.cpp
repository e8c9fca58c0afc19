#include "gui/multi_switch.h"

#include "gui/gui_bitmap.h"

namespace vt::gui {

MultiSwitch::MultiSwitch(const Rect& size, ControlListener* l, int t, int states, const GuiBitmap* film)
    : Control(size, l, t, film), stateCount(states < 2 ? 2 : states) {
  defaultValue = 0.0f;
}

int MultiSwitch::currentState() const {
  const int s = static_cast<int>(getNormalizedValue() * static_cast<float>(stateCount - 1) + 0.5f);
  return s < 0 ? 0 : (s >= stateCount ? stateCount - 1 : s);
}

void MultiSwitch::draw(DrawContext& context) {
  if (background && background->isLoaded()) {
    const int frameHeight = background->getHeight() / stateCount;
    context.drawBitmap(*background, rect, Point(0, currentState() * frameHeight));
    return;
  }
  context.setFillColor(rgb(60, 60, 60));
  context.fillRect(rect);
  char text[8];
  text[0] = static_cast<char>('1' + currentState() % 9);
  text[1] = 0;
  context.setFontColor(kWhite);
  context.drawString(text, rect);
}

MouseResult MultiSwitch::onMouseDown(const MouseEvent& event) {
  const bool back = (event.buttons & kRightButton) || ((event.buttons & kLeftButton) && (event.buttons & kShift));
  if (!back && !(event.buttons & kLeftButton)) return MouseResult::Handled;
  const int next = (currentState() + (back ? stateCount - 1 : 1)) % stateCount;
  setValue(minValue + static_cast<float>(next) / static_cast<float>(stateCount - 1) * getRange());
  notifyListener();
  return MouseResult::Handled;
}

}  // namespace vt::gui
