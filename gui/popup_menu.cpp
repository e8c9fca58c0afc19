#include "gui/popup_menu.h"

#include "gui/bitmap_font.h"
#include "gui/draw_context.h"
#include "gui/option_menu.h"

namespace vt::gui {

namespace {
constexpr int kTextLeft = 16;   // room for the current-entry mark
constexpr int kTextRight = 14;  // room for the sub-menu arrow
constexpr Color kMenuBack = rgb(238, 238, 236);
constexpr Color kMenuText = rgb(20, 20, 20);
constexpr Color kMenuBorder = rgb(70, 70, 70);
constexpr Color kHotBack = rgb(48, 96, 176);
constexpr Color kHotText = rgb(255, 255, 255);
constexpr Color kSeparator = rgb(170, 170, 170);
}  // namespace

bool PopupMenu::selectable(const OptionMenu& menu, int entry) const {
  return entry >= 0 && entry < menu.getNbEntries() && !menu.isSeparator(entry);
}

void PopupMenu::layout(int level, OptionMenu& menu, int x, int y, int minWidth, const Rect* avoid) {
  Level& l = lv[level];
  l = Level();
  l.menu = &menu;
  const BitmapFont& font = builtinFont();
  int width = minWidth;
  char text[OptionMenu::kEntryLength];
  for (int i = 0; i < menu.getNbEntries(); ++i) {
    menu.getDisplayText(i, text);
    const int w = font.textWidth(text) + kTextLeft + kTextRight + 2 * kBorder;
    if (w > width) width = w;
  }
  if (width > screenRect.width()) width = screenRect.width();
  const int maxRows = (screenRect.height() - 2 * kBorder) / kRowHeight;
  const int n = menu.getNbEntries();
  l.scrollable = n > maxRows;
  l.rows = l.scrollable ? (maxRows - 2 > 1 ? maxRows - 2 : 1) : n;
  const int height = (l.rows + (l.scrollable ? 2 : 0)) * kRowHeight + 2 * kBorder;
  if (avoid) {
    // Below the anchor, else above it, else as low as the screen allows.
    if (avoid->bottom + height <= screenRect.bottom)
      y = avoid->bottom;
    else if (avoid->top - height >= screenRect.top)
      y = avoid->top - height;
  }
  if (y + height > screenRect.bottom) y = screenRect.bottom - height;
  if (y < screenRect.top) y = screenRect.top;
  if (x + width > screenRect.right) x = screenRect.right - width;
  if (x < screenRect.left) x = screenRect.left;
  l.rect = Rect::fromSize(x, y, width, height);
  const int current = menu.getCurrent();
  l.hot = selectable(menu, current) ? current : -1;
  ensureVisible(level, current);
}

void PopupMenu::open(OptionMenu& top, const Rect& anchor, const Rect& screen) {
  screenRect = screen;
  depth = 1;
  chosen = nullptr;
  chosenEntry = -1;
  current = State::Open;
  layout(0, top, anchor.left, anchor.bottom, anchor.width(), &anchor);
}

Rect PopupMenu::entryRect(int level, int entry) const {
  const Level& l = lv[level];
  const int row = entry - l.first;
  if (row < 0 || row >= l.rows) return Rect();
  const int top = l.rect.top + kBorder + (row + (l.scrollable ? 1 : 0)) * kRowHeight;
  return Rect(l.rect.left + kBorder, top, l.rect.right - kBorder, top + kRowHeight);
}

int PopupMenu::rowAt(int level, Point p) const {
  const Level& l = lv[level];
  if (!l.rect.inset(kBorder, kBorder).contains(p)) return kNoRow;
  int row = (p.y - l.rect.top - kBorder) / kRowHeight;
  if (l.scrollable) {
    if (row == 0) return kScrollUpRow;
    if (row == l.rows + 1) return kScrollDownRow;
    --row;
  }
  if (row < 0 || row >= l.rows) return kNoRow;
  const int entry = l.first + row;
  return entry < l.menu->getNbEntries() ? entry : kNoRow;
}

void PopupMenu::ensureVisible(int level, int entry) {
  Level& l = lv[level];
  const int n = l.menu->getNbEntries();
  if (entry >= 0) {
    if (entry < l.first) l.first = entry;
    if (entry >= l.first + l.rows) l.first = entry - l.rows + 1;
  }
  if (l.first > n - l.rows) l.first = n - l.rows;
  if (l.first < 0) l.first = 0;
}

void PopupMenu::scrollBy(int level, int delta) {
  lv[level].first += delta;
  ensureVisible(level, -1);
}

void PopupMenu::openSubMenu(int level, int entry, bool highlightFirst) {
  OptionMenu* sub = lv[level].menu->getSubMenu(entry);
  if (!sub || sub->getNbEntries() == 0 || level + 1 >= kMaxLevels) return;
  if (depth > level + 1 && lv[level + 1].menu == sub) {
    depth = level + 2;
  } else {
    const Rect row = entryRect(level, entry);
    const Rect& parentRect = lv[level].rect;
    layout(level + 1, *sub, parentRect.right - kBorder, row.top - kBorder, 0, nullptr);
    Level& l = lv[level + 1];
    if (l.rect.left < parentRect.right - kBorder) {
      // No room on the right: open to the left of the parent.
      const int x = parentRect.left - l.rect.width() + kBorder;
      l.rect = Rect::fromSize(x < screenRect.left ? screenRect.left : x, l.rect.top, l.rect.width(), l.rect.height());
    }
    depth = level + 2;
  }
  if (highlightFirst) {
    Level& l = lv[level + 1];
    if (l.hot < 0) {
      l.hot = -1;
      moveHot(level + 1, 1);
    }
  }
}

void PopupMenu::moveHot(int level, int delta) {
  Level& l = lv[level];
  const int n = l.menu->getNbEntries();
  int e = l.hot;
  if (e < 0) e = delta > 0 ? -1 : n;
  const int step = delta > 0 ? 1 : -1;
  int remaining = delta > 0 ? delta : -delta;
  int candidate = e;
  int last = l.hot;
  while (remaining > 0) {
    candidate += step;
    if (candidate < 0 || candidate >= n) break;
    if (!selectable(*l.menu, candidate)) continue;
    last = candidate;
    --remaining;
  }
  if (last >= 0) {
    l.hot = last;
    ensureVisible(level, last);
  }
  depth = level + 1;  // moving in a level closes what was open below it
}

bool PopupMenu::activate(int level, int entry, bool fromKeys) {
  OptionMenu* menu = lv[level].menu;
  if (!selectable(*menu, entry)) return false;
  if (menu->getSubMenu(entry)) {
    openSubMenu(level, entry, fromKeys);
    return false;
  }
  chosen = menu;
  chosenEntry = entry;
  current = State::Chosen;
  depth = 0;
  return true;
}

void PopupMenu::pointerMoved(Point p) {
  if (current != State::Open) return;
  for (int level = depth - 1; level >= 0; --level) {
    if (!lv[level].rect.contains(p)) continue;
    Level& l = lv[level];
    const int row = rowAt(level, p);
    l.autoScroll = row == kScrollUpRow ? -1 : (row == kScrollDownRow ? 1 : 0);
    if (row < 0) return;
    if (!selectable(*l.menu, row)) {
      l.hot = -1;
      depth = level + 1;
      return;
    }
    l.hot = row;
    if (l.menu->getSubMenu(row))
      openSubMenu(level, row, false);
    else
      depth = level + 1;
    return;
  }
}

void PopupMenu::pointerPressed(Point p) {
  if (current != State::Open) return;
  for (int level = 0; level < depth; ++level)
    if (lv[level].rect.contains(p)) return;
  current = State::Cancelled;
  depth = 0;
}

void PopupMenu::pointerReleased(Point p) {
  if (current != State::Open) return;
  for (int level = depth - 1; level >= 0; --level) {
    if (!lv[level].rect.contains(p)) continue;
    const int row = rowAt(level, p);
    if (row >= 0) activate(level, row, false);
    return;
  }
}

void PopupMenu::keyPressed(const KeyEvent& key) {
  if (current != State::Open || depth == 0) return;
  const int level = depth - 1;
  Level& l = lv[level];
  switch (key.key) {
    case VirtualKey::Down:
      moveHot(level, 1);
      break;
    case VirtualKey::Up:
      moveHot(level, -1);
      break;
    case VirtualKey::PageDown:
      moveHot(level, l.rows);
      break;
    case VirtualKey::PageUp:
      moveHot(level, -l.rows);
      break;
    case VirtualKey::Home:
      l.hot = -1;
      moveHot(level, 1);
      break;
    case VirtualKey::End:
      l.hot = -1;
      moveHot(level, -1);
      break;
    case VirtualKey::Right:
      if (l.hot >= 0 && l.menu->getSubMenu(l.hot)) openSubMenu(level, l.hot, true);
      break;
    case VirtualKey::Return:
    case VirtualKey::Space:
      if (l.hot >= 0) activate(level, l.hot, true);
      break;
    case VirtualKey::Left:
      if (depth > 1) --depth;
      break;
    case VirtualKey::Escape:
      if (depth > 1) {
        --depth;
      } else {
        current = State::Cancelled;
        depth = 0;
      }
      break;
    default:
      if (key.character == ' ' && l.hot >= 0) activate(level, l.hot, true);
      break;
  }
}

void PopupMenu::wheel(Point p, int steps) {
  for (int level = depth - 1; level >= 0; --level)
    if (lv[level].rect.contains(p)) {
      if (lv[level].scrollable) scrollBy(level, steps);
      return;
    }
}

void PopupMenu::tick() {
  for (int level = 0; level < depth; ++level)
    if (lv[level].autoScroll) scrollBy(level, lv[level].autoScroll);
}

void PopupMenu::draw(int level, Surface& surface) const {
  const Level& l = lv[level];
  surface.resetClip();
  const Rect box(0, 0, l.rect.width(), l.rect.height());
  surface.fillRect(box, kMenuBack);
  surface.frameRect(box, kMenuBorder);
  const Point origin = l.rect.topLeft();
  DrawContext context(surface);
  context.setOffset(Point(-origin.x, -origin.y));
  char text[OptionMenu::kEntryLength];
  const int current = l.menu->getCurrent();
  for (int entry = l.first; entry < l.first + l.rows && entry < l.menu->getNbEntries(); ++entry) {
    const Rect r = entryRect(level, entry);
    if (l.menu->isSeparator(entry)) {
      context.setFillColor(kSeparator);
      const int y = (r.top + r.bottom) / 2;
      context.fillRect(Rect(r.left + 4, y, r.right - 4, y + 1));
      continue;
    }
    const bool hot = entry == l.hot;
    if (hot) {
      context.setFillColor(kHotBack);
      context.fillRect(r);
    }
    const Color ink = hot ? kHotText : kMenuText;
    if (entry == current) {
      context.setFillColor(ink);
      const int cy = (r.top + r.bottom) / 2;
      context.fillRect(Rect(r.left + 5, cy - 2, r.left + 10, cy + 3));
    }
    l.menu->getDisplayText(entry, text);
    context.setFontColor(ink);
    context.drawString(text, Rect(r.left + kTextLeft, r.top, r.right - kTextRight, r.bottom), HoriAlign::Left);
    if (l.menu->getSubMenu(entry)) {
      const float x = static_cast<float>(r.right - 10), cy = static_cast<float>((r.top + r.bottom) / 2);
      context.setFrameColor(ink);
      context.drawLine(x, cy - 3.0f, x + 3.0f, cy);
      context.drawLine(x + 3.0f, cy, x, cy + 3.0f);
    }
  }
  if (l.scrollable) {
    context.setFrameColor(kMenuText);
    const float cx = static_cast<float>((l.rect.left + l.rect.right) / 2);
    const float upY = static_cast<float>(l.rect.top + kBorder + kRowHeight / 2);
    const float downY = static_cast<float>(l.rect.bottom - kBorder - kRowHeight / 2);
    context.drawLine(cx - 4.0f, upY + 2.0f, cx, upY - 2.0f);
    context.drawLine(cx, upY - 2.0f, cx + 4.0f, upY + 2.0f);
    context.drawLine(cx - 4.0f, downY - 2.0f, cx, downY + 2.0f);
    context.drawLine(cx, downY + 2.0f, cx + 4.0f, downY - 2.0f);
  }
}

}  // namespace vt::gui
