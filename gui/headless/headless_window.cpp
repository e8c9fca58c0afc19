#include "gui/headless/headless_window.h"

#include <cstring>
#include <new>

#include "gui/frame.h"
#include "gui/option_menu.h"

namespace vt::gui {

HeadlessWindow::HeadlessWindow(Frame& frame) : owner(frame) {
  screenPixels.resize(frame.getWidth(), frame.getHeight());
}

PlatformWindow* createHeadlessWindow(Frame& frame, void*) { return new (std::nothrow) HeadlessWindow(frame); }

void HeadlessWindow::blit(const Surface& surface, const Rect* rects, int count) {
  for (int i = 0; i < count; ++i) {
    screenPixels.resetClip();
    screenPixels.blit(surface, rects[i].left, rects[i].top, rects[i]);
    lastBounds = i == 0 ? rects[i] : lastBounds.unite(rects[i]);
  }
  if (count > 0) ++blits;
}

bool HeadlessWindow::showPopupMenu(OptionMenu& menu, const Rect& anchor) {
  popupMenu = &menu;
  popupAnchor = anchor;
  return true;
}

void HeadlessWindow::cancelPopupMenu() { popupMenu = nullptr; }

bool HeadlessWindow::chooseMenuEntry(OptionMenu* menu, int index) {
  if (!popupMenu) return false;
  OptionMenu* top = popupMenu;
  popupMenu = nullptr;
  if (!top->holdsMenu(menu)) return false;
  owner.menuChosen(*top, menu, index);
  return top->getLastMenu() == menu && top->getLastIndex() == index;
}

void HeadlessWindow::dismissMenu() {
  if (!popupMenu) return;
  OptionMenu* top = popupMenu;
  popupMenu = nullptr;
  owner.menuChosen(*top, nullptr, -1);
}

void HeadlessWindow::press(Point where, int buttons) {
  clock += 10;
  owner.mouseDown(where, buttons);
}

void HeadlessWindow::move(Point where, int buttons) {
  clock += 10;
  owner.mouseMoved(where, buttons);
}

void HeadlessWindow::release(Point where, int buttons) {
  clock += 10;
  owner.mouseUp(where, buttons);
}

void HeadlessWindow::drag(Point from, Point to, int buttons, int steps) {
  press(from, buttons);
  if (steps < 1) steps = 1;
  for (int i = 1; i <= steps; ++i)
    move(Point(from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps), buttons);
  release(to, buttons & kModifierMask);
}

void HeadlessWindow::typeKey(const KeyEvent& key) { owner.keyDown(key); }

void HeadlessWindow::typeText(const char* text) {
  for (const char* p = text; p && *p; ++p) {
    KeyEvent key;
    key.character = static_cast<unsigned char>(*p);
    owner.keyDown(key);
  }
}

void HeadlessWindow::dropFiles(const char* const* paths, int count, Point where) {
  DropData data;
  data.kind = DropData::Kind::Files;
  data.names = paths;
  data.count = count;
  owner.drop(data, where);
}

void HeadlessWindow::dropText(const char* text, Point where) {
  DropData data;
  data.kind = DropData::Kind::Text;
  data.text = text;
  owner.drop(data, where);
}

}  // namespace vt::gui
