#include "editor/radio_group.h"

#include "gui/gui_bitmap.h"

namespace vt {

RadioGroup::RadioGroup(const gui::Rect& size, gui::ControlListener* listener, int tag, int entries, int dx, int dy)
    : Control(size, listener, tag),
      count(entries < 2 ? 2 : (entries > kMaxEntries ? kMaxEntries : entries)),
      stepX(dx),
      stepY(dy) {}

void RadioGroup::setEntryImage(int index, const gui::GuiBitmap* image) {
  if (index < 0 || index >= count) return;
  images[index] = image;
  setDirty();
}

int RadioGroup::currentEntry() const {
  const int c = static_cast<int>(getNormalizedValue() * static_cast<float>(count - 1) + 0.5f);
  return c < 0 ? 0 : (c > count - 1 ? count - 1 : c);
}

gui::Rect RadioGroup::entryRect(int index) const {
  const gui::GuiBitmap* image = index >= 0 && index < count ? images[index] : nullptr;
  if (!image) return gui::Rect();
  return gui::Rect::fromSize(rect.left + index * stepX, rect.top + index * stepY, image->getWidth(),
                             image->getHeight() / 2);
}

void RadioGroup::draw(gui::DrawContext& context) {
  const int current = currentEntry();
  for (int i = 0; i < count; ++i) {
    if (!images[i]) continue;
    const gui::Rect box = entryRect(i);
    context.drawBitmap(*images[i], box, gui::Point(0, i == current ? box.height() : 0));
  }
}

gui::MouseResult RadioGroup::onMouseDown(const gui::MouseEvent& event) {
  if (!(event.buttons & gui::kLeftButton)) return gui::MouseResult::Ignored;
  for (int i = 0; i < count; ++i) {
    if (!entryRect(i).contains(event.where)) continue;
    if (i != currentEntry()) {
      setValue(getMin() + getRange() * static_cast<float>(i) / static_cast<float>(count - 1));
      notifyListener();
    }
    // The press is finished by its release; nothing else follows it.
    return gui::MouseResult::Captured;
  }
  return gui::MouseResult::Ignored;
}

}  // namespace vt
