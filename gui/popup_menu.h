// The framework's own pop-up menu (for backends without a native one): the
// layout, keyboard and pointer behaviour and drawing of an option menu and its
// nested sub-menus. Coordinates are the screen's. A level taller than the
// screen scrolls (arrow rows at its ends, the wheel, the keys). Keys: Up/Down,
// PageUp/PageDown, Home/End move; Right, Return or Space open a sub-menu;
// Return or Space choose an entry; Left or Escape close a sub-menu, Escape at
// the top cancels. A release on an entry chooses it; a press outside every
// level cancels. The backend shows one window per level and feeds input here.
#pragma once

#include "gui/gui_events.h"
#include "gui/surface.h"

namespace vt::gui {

class OptionMenu;

class PopupMenu {
public:
  static constexpr int kMaxLevels = 8;
  static constexpr int kRowHeight = 15;
  static constexpr int kBorder = 2;
  enum class State { Closed, Open, Chosen, Cancelled };
  // What lies under a point of a level.
  static constexpr int kNoRow = -1;
  static constexpr int kScrollUpRow = -2;
  static constexpr int kScrollDownRow = -3;

  // Opens below anchor (above it when there is no room), inside screen.
  void open(OptionMenu& top, const Rect& anchor, const Rect& screen);
  void close() { depth = 0, current = State::Closed; }
  State state() const { return current; }
  int levels() const { return depth; }
  const Rect& levelRect(int level) const { return lv[level].rect; }
  OptionMenu* levelMenu(int level) const { return lv[level].menu; }
  int highlighted(int level) const { return lv[level].hot; }
  int firstVisible(int level) const { return lv[level].first; }
  OptionMenu* chosenMenu() const { return chosen; }
  int chosenIndex() const { return chosenEntry; }

  void pointerMoved(Point p);
  void pointerPressed(Point p);
  void pointerReleased(Point p);
  void keyPressed(const KeyEvent& key);
  void wheel(Point p, int steps);
  // Called regularly (idle): scrolls while the pointer rests on an arrow row.
  void tick();

  // Draws level into a surface of the level's size.
  void draw(int level, Surface& surface) const;
  // The entry (or kScrollUpRow / kScrollDownRow / kNoRow) at p within level.
  int rowAt(int level, Point p) const;
  // The screen rectangle of an entry of a level (empty when scrolled out of view).
  Rect entryRect(int level, int entry) const;

private:
  struct Level {
    OptionMenu* menu = nullptr;
    Rect rect;
    int hot = -1;
    int first = 0;
    int rows = 0;  // entry rows visible
    bool scrollable = false;
    int autoScroll = 0;
  };
  void layout(int level, OptionMenu& menu, int x, int y, int minWidth, const Rect* avoid);
  bool selectable(const OptionMenu& menu, int entry) const;
  void openSubMenu(int level, int entry, bool highlightFirst);
  void moveHot(int level, int delta);
  void ensureVisible(int level, int entry);
  void scrollBy(int level, int delta);
  bool activate(int level, int entry, bool fromKeys);

  Level lv[kMaxLevels];
  int depth = 0;
  Rect screenRect;
  State current = State::Closed;
  OptionMenu* chosen = nullptr;
  int chosenEntry = -1;
};

}  // namespace vt::gui
