#include "gui/on_off_button.h"

#include "gui/gui_bitmap.h"

namespace vt::gui {

OnOffButton::OnOffButton(const Rect& size, ControlListener* l, int t, const GuiBitmap* image)
    : Control(size, l, t, image) {
  defaultValue = 0.0f;
}

void OnOffButton::draw(DrawContext& context) {
  if (background && background->isLoaded()) {
    const int half = background->getHeight() / 2;
    context.drawBitmap(*background, rect, Point(0, isOn() ? half : 0));
    return;
  }
  context.setFillColor(isOn() ? rgb(230, 160, 40) : rgb(60, 60, 60));
  context.fillRect(rect);
  context.setFrameColor(rgb(20, 20, 20));
  context.drawRect(rect);
}

MouseResult OnOffButton::onMouseDown(const MouseEvent& event) {
  if (!(event.buttons & kLeftButton)) return MouseResult::Handled;
  setValue(isOn() ? 0.0f : 1.0f);
  notifyListener();
  return MouseResult::Handled;
}

}  // namespace vt::gui
