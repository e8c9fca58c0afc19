#include "editor/number_field.h"

#include <chrono>
#include <cstdio>

#include "editor/editor_palette.h"
#include "gui/bitmap_font.h"
#include "gui/gui_bitmap.h"

namespace vt {

namespace {

constexpr float kDragScale = 0.25f;
constexpr int kLabelSize = 256;

}  // namespace

NumberField::NumberField(const gui::Rect& size, gui::ControlListener* listener, int tag, int stepTotal,
                         const gui::GuiBitmap* arrowImage, const gui::BitmapFont* labelFont)
    : Control(size, listener, tag),
      steps(stepTotal < 1 ? 1 : stepTotal),
      arrows(arrowImage),
      font(labelFont),
      backColor(kFieldColor) {}

void NumberField::setLabels(FieldLabelFunction function, const void* userData) {
  labels = function;
  labelData = userData;
  setDirty();
}

int NumberField::currentStep() const {
  const int c = static_cast<int>(getValue() * static_cast<float>(steps) + 0.001f);
  return c < 0 ? 0 : (c > steps - 1 ? steps - 1 : c);
}

void NumberField::label(int index, char* text, std::size_t size) const {
  if (size == 0) return;
  text[0] = 0;
  if (labels)
    labels(index, text, size, labelData);
  else
    std::snprintf(text, size, "%d", index);
}

gui::Rect NumberField::textArea() const {
  gui::Rect area = rect;
  area.right = rect.right - kArrowArea;
  if (area.right < area.left) area.right = area.left;
  return area;
}

gui::Rect NumberField::arrowRect() const {
  if (!arrows) return gui::Rect();
  const int w = arrows->getWidth();
  const int h = arrows->getHeight();
  return gui::Rect::fromSize(rect.right - w, rect.top + (rect.height() - h) / 2, w, h);
}

void NumberField::draw(gui::DrawContext& context) {
  const gui::Rect area = textArea();
  context.setFillColor(backColor);
  context.fillRect(area);
  if (arrows && arrows->isLoaded()) context.drawBitmap(*arrows, arrowRect());
  char text[kLabelSize];
  label(currentStep(), text, sizeof(text));
  const gui::Rect old = context.getClipRect();
  context.setClipRect(area.intersect(old));
  if (font && font->isValid()) {
    const int y = area.top + (area.height() - font->height()) / 2;
    const gui::Point o = context.getOffset();
    context.surface().drawText(area.left + 1 + o.x, y + o.y, text, *font, kFieldTextColor);
  } else {
    context.setFontColor(kFieldTextColor);
    context.drawString(text, area, gui::HoriAlign::Left);
  }
  context.setClipRect(old);
}

void NumberField::step(int direction) {
  const int current = currentStep();
  int index = current + direction;
  if (index < 0) index = 0;
  if (index > steps - 1) index = steps - 1;
  // At either end the arrow does nothing (the value 1.0 of the last step stays as it is).
  if (index == current) return;
  const float value = static_cast<float>(index) / static_cast<float>(steps);
  if (value == getValue()) return;
  setValue(value);
  notifyListener();
}

gui::MouseResult NumberField::onMouseDown(const gui::MouseEvent& event) {
  if (!(event.buttons & gui::kLeftButton)) return gui::MouseResult::Ignored;
  const gui::Rect box = arrowRect();
  beginEdit();
  if (box.contains(event.where)) {
    drag = Drag::Arrow;
    arrowDirection = event.where.y < box.top + box.height() / 2 ? 1 : -1;
    lastStep = clockSeconds();
    step(arrowDirection);
    return gui::MouseResult::Captured;
  }
  if (textArea().contains(event.where)) {
    drag = Drag::Text;
    pressY = event.where.y;
    pressValue = getValue();
    return gui::MouseResult::Captured;
  }
  endEdit();
  return gui::MouseResult::Ignored;
}

void NumberField::onMouseMoved(const gui::MouseEvent& event) {
  if (drag != Drag::Text) return;
  float value = pressValue - static_cast<float>(event.where.y - pressY) / static_cast<float>(steps) * kDragScale;
  if (value < 0.0f) value = 0.0f;
  if (value > 1.0f) value = 1.0f;
  if (value == getValue()) return;
  setValue(value);
  notifyListener();
}

void NumberField::onMouseUp(const gui::MouseEvent& /*event*/) {
  drag = Drag::None;
  endEdit();
}

void NumberField::onMouseCancelled() {
  drag = Drag::None;
  Control::onMouseCancelled();
}

void NumberField::repeatIfHeld(double nowSeconds) {
  if (drag != Drag::Arrow || nowSeconds - lastStep < kRepeatSeconds) return;
  lastStep = nowSeconds;
  step(arrowDirection);
}

double NumberField::clockSeconds() {
  using Clock = std::chrono::steady_clock;
  return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

}  // namespace vt
