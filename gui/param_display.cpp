#include "gui/param_display.h"

#include <cstdio>

#include "gui/gui_bitmap.h"

namespace vt::gui {

ParamDisplay::ParamDisplay(const Rect& size, const GuiBitmap* image, int displayStyle)
    : Control(size, nullptr, -1, image), style(displayStyle) {}

void ParamDisplay::setStringConvert(StringConvert c, void* userData) {
  convert = c;
  convertData = userData;
  setDirty();
}

void ParamDisplay::getDisplayText(char* text) const {
  text[0] = 0;
  if (convert)
    convert(getValue(), text, convertData);
  else
    std::snprintf(text, kTextCapacity, "%2.2f", static_cast<double>(getValue()));
  text[kTextCapacity - 1] = 0;
}

void ParamDisplay::drawText(DrawContext& context, const char* text) {
  if (background && background->isLoaded())
    context.drawBitmap(*background, rect);
  else if (!(style & kNoDrawBackground)) {
    context.setFillColor(backColor);
    context.fillRect(rect);
  }
  if (!(style & kNoFrame)) {
    context.setFrameColor(frameColor);
    context.drawRect(rect);
  }
  context.setFont(font);
  const Rect textRect = rect.inset(align == HoriAlign::Center ? 0 : 2, 0);
  if (style & kShadowText) {
    context.setFontColor(shadowColor);
    context.drawString(text, textRect.offset(1, 1), align);
  }
  context.setFontColor(fontColor);
  context.drawString(text, textRect, align);
  context.setFont(nullptr);
}

void ParamDisplay::draw(DrawContext& context) {
  char text[kTextCapacity];
  getDisplayText(text);
  drawText(context, text);
}

MouseResult ParamDisplay::onMouseDown(const MouseEvent&) { return MouseResult::Ignored; }

}  // namespace vt::gui
