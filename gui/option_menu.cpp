#include "gui/option_menu.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "gui/frame.h"

namespace vt::gui {

OptionMenu::OptionMenu(const Rect& size, ControlListener* l, int t, const GuiBitmap* image, int displayStyle)
    : ParamDisplay(size, image, displayStyle) {
  listener = l;
  tag = t;
  defaultValue = 0.0f;
  maxValue = 0.0f;
  for (int i = 0; i < kMaxEntries; ++i) {
    entries[i] = nullptr;
    subMenus[i] = nullptr;
  }
}

OptionMenu::~OptionMenu() { removeAllEntries(); }

bool OptionMenu::append(const char* text, OptionMenu* subMenu) {
  if (count >= kMaxEntries) return false;
  char* buffer = new (std::nothrow) char[kEntryLength];
  if (!buffer) return false;
  if (subMenu)
    std::snprintf(buffer, kEntryLength, "-M%s", text ? text : "");
  else
    std::snprintf(buffer, kEntryLength, "%s", text ? text : "");
  entries[count] = buffer;
  subMenus[count] = subMenu;
  ++count;
  maxValue = static_cast<float>(count - 1);
  setDirty();
  return true;
}

bool OptionMenu::addEntry(const char* text) { return append(text, nullptr); }

bool OptionMenu::addEntry(OptionMenu* subMenu, const char* text) {
  if (!subMenu) return false;
  if (append(text, subMenu)) return true;
  delete subMenu;
  return false;
}

void OptionMenu::removeAllEntries() {
  for (int i = 0; i < count; ++i) {
    delete[] entries[i];
    delete subMenus[i];
    entries[i] = nullptr;
    subMenus[i] = nullptr;
  }
  count = 0;
  maxValue = 0.0f;
  lastMenu = nullptr;
  lastIndex = -1;
  setValue(0.0f);
  setDirty();
}

bool OptionMenu::getEntry(int index, char* text) const {
  if (!text) return false;
  text[0] = 0;
  if (index < 0 || index >= count) return false;
  std::snprintf(text, kEntryLength, "%s", entries[index]);
  return true;
}

bool OptionMenu::isSeparator(int index) const {
  return index >= 0 && index < count && std::strcmp(entries[index], "-") == 0;
}

OptionMenu* OptionMenu::getSubMenu(int index) const { return index >= 0 && index < count ? subMenus[index] : nullptr; }

bool OptionMenu::getDisplayText(int index, char* text) const {
  if (!text) return false;
  text[0] = 0;
  if (index < 0 || index >= count) return false;
  const char* title = entries[index];
  if (subMenus[index] && std::strncmp(title, "-M", 2) == 0) title += 2;
  const int number = firstNumber + index;
  switch (numbering) {
    case MenuNumbering::Plain:
      std::snprintf(text, kEntryLength, "%s", title);
      break;
    case MenuNumbering::OneDigit:
      std::snprintf(text, kEntryLength, "%1d %s", number, title);
      break;
    case MenuNumbering::TwoDigits:
      std::snprintf(text, kEntryLength, "%02d %s", number, title);
      break;
    case MenuNumbering::ThreeDigits:
      std::snprintf(text, kEntryLength, "%03d %s", number, title);
      break;
  }
  if (isSeparator(index)) std::snprintf(text, kEntryLength, "-");
  return true;
}

void OptionMenu::setNumbering(MenuNumbering style, int first) {
  numbering = style;
  firstNumber = first;
  setDirty();
}

bool OptionMenu::setCurrent(int index) {
  if (index < 0 || index >= count) return false;
  setValue(static_cast<float>(index));
  return true;
}

int OptionMenu::getCurrent() const {
  if (count == 0) return -1;
  int index = static_cast<int>(getValue() + 0.5f);
  if (index < 0) index = 0;
  if (index >= count) index = count - 1;
  return index;
}

void OptionMenu::draw(DrawContext& context) {
  char text[kEntryLength];
  getEntry(getCurrent(), text);
  const char* shown = std::strncmp(text, "-M", 2) == 0 ? text + 2 : text;
  drawText(context, shown);
}

MouseResult OptionMenu::onMouseDown(const MouseEvent& event) {
  if (!(event.buttons & (kLeftButton | kRightButton))) return MouseResult::Handled;
  if (frame && count > 0) frame->popupMenu(*this);
  return MouseResult::Handled;
}

bool OptionMenu::holdsMenu(const OptionMenu* menu) const {
  if (menu == this) return true;
  for (int i = 0; i < count; ++i)
    if (subMenus[i] && subMenus[i]->holdsMenu(menu)) return true;
  return false;
}

bool OptionMenu::takeChoice(OptionMenu* menu, int index) {
  if (!menu || !holdsMenu(menu) || index < 0 || index >= menu->count || menu->subMenus[index] ||
      menu->isSeparator(index))
    return false;
  // Each menu on the way down shows the entry that leads to the choice.
  OptionMenu* level = this;
  while (level != menu) {
    int next = -1;
    for (int i = 0; i < level->count && next < 0; ++i)
      if (level->subMenus[i] && level->subMenus[i]->holdsMenu(menu)) next = i;
    if (next < 0) return false;
    level->setCurrent(next);
    level = level->subMenus[next];
  }
  menu->setCurrent(index);
  lastMenu = menu;
  lastIndex = index;
  notifyListener();
  return true;
}

}  // namespace vt::gui
