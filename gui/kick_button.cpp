#include "gui/kick_button.h"

#include "gui/gui_bitmap.h"

namespace vt::gui {

KickButton::KickButton(const Rect& size, ControlListener* l, int t, const GuiBitmap* image)
    : Control(size, l, t, image) {
  defaultValue = 0.0f;
}

void KickButton::draw(DrawContext& context) {
  const bool down = getValue() > 0.5f;
  if (background && background->isLoaded()) {
    const int half = background->getHeight() / 2;
    context.drawBitmap(*background, rect, Point(0, down ? half : 0));
    return;
  }
  context.setFillColor(down ? rgb(200, 200, 200) : rgb(90, 90, 90));
  context.fillRect(rect);
  context.setFrameColor(rgb(20, 20, 20));
  context.drawRect(rect);
}

MouseResult KickButton::onMouseDown(const MouseEvent& event) {
  if (!(event.buttons & kLeftButton)) return MouseResult::Handled;
  setValue(1.0f);
  notifyListener();
  return MouseResult::Captured;
}

void KickButton::follow(Point where) {
  const float v = rect.contains(where) ? 1.0f : 0.0f;
  if (v == getValue()) return;
  setValue(v);
  notifyListener();
}

void KickButton::onMouseMoved(const MouseEvent& event) { follow(event.where); }

void KickButton::onMouseUp(const MouseEvent&) {
  setValue(0.0f);
  notifyListener();
}

void KickButton::onMouseCancelled() {
  if (getValue() == 0.0f) return;
  setValue(0.0f);
  notifyListener();
}

}  // namespace vt::gui
