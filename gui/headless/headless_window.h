// A backend without a screen, for tests and snapshots: it keeps a copy of what
// was blitted (the "screen"), records captures and pop-ups, and offers scripted
// input (press, move, release, keys, drops) that goes through the frame exactly
// as a real window's events would.
#pragma once

#include "gui/gui_events.h"
#include "gui/platform_window.h"
#include "gui/surface.h"

namespace vt::gui {

class OptionMenu;

class HeadlessWindow : public PlatformWindow {
public:
  explicit HeadlessWindow(Frame& frame);

  bool isValid() const override { return screenPixels.isValid(); }
  void blit(const Surface& surface, const Rect* rects, int count) override;
  void flush() override {}
  void pumpEvents() override {}
  void captureMouse() override { captured = true; }
  void releaseMouse() override { captured = false; }
  bool showPopupMenu(OptionMenu& menu, const Rect& anchor) override;
  void cancelPopupMenu() override;
  void takeKeyboardFocus() override { focused = true; }
  void releaseKeyboardFocus() override { focused = false; }
  unsigned long milliseconds() const override { return clock; }

  // ---- The script ----
  void press(Point where, int buttons = kLeftButton);
  void move(Point where, int buttons = kLeftButton);
  void release(Point where, int buttons = 0);
  // Press, move in steps to the end point, release.
  void drag(Point from, Point to, int buttons = kLeftButton, int steps = 8);
  void typeKey(const KeyEvent& key);
  void typeText(const char* text);
  void dropFiles(const char* const* paths, int count, Point where);
  void dropText(const char* text, Point where);
  void advanceClock(unsigned long ms) { clock += ms; }

  // The open pop-up (set by showPopupMenu, cleared by choose/dismiss).
  OptionMenu* openMenu() const { return popupMenu; }
  Rect menuAnchor() const { return popupAnchor; }
  // Chooses entry index of menu (the open menu or one of its sub-menus).
  bool chooseMenuEntry(OptionMenu* menu, int index);
  void dismissMenu();

  bool isMouseCaptured() const { return captured; }
  bool hasKeyboardFocus() const { return focused; }
  // What the "screen" shows: only blitted pixels.
  const Surface& screen() const { return screenPixels; }
  int blitCount() const { return blits; }
  Rect lastBlitBounds() const { return lastBounds; }

private:
  Frame& owner;
  Surface screenPixels;
  OptionMenu* popupMenu = nullptr;
  Rect popupAnchor;
  unsigned long clock = 1000;
  int blits = 0;
  Rect lastBounds;
  bool captured = false;
  bool focused = false;
};

// A WindowFactory for GuiEditor::setWindowFactory: every frame gets a HeadlessWindow.
PlatformWindow* createHeadlessWindow(Frame& frame, void* parentWindow);

}  // namespace vt::gui
