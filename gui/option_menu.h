// A pop-up menu control: up to 1024 entries of up to 255 characters. An entry
// "-" is a separator; an entry added with a sub-menu is stored as "-M" + its
// title and opens that sub-menu. Entries can be shown numbered ("%1d %s",
// "%02d %s", "%03d %s", counting from the first number, sub-menu titles too).
// A press shows the menu as a pop-up at the control (the backend's menu); the
// chosen entry becomes the current index (the value) of the menu that holds
// it and the top menu notifies its listener. The value is the plain index
// (minimum 0, maximum entry count - 1).
#pragma once

#include "gui/param_display.h"

namespace vt::gui {

enum class MenuNumbering { Plain, OneDigit, TwoDigits, ThreeDigits };

class OptionMenu : public ParamDisplay {
public:
  static constexpr int kMaxEntries = 1024;
  static constexpr int kEntryLength = 256;  // buffer per entry, terminator included

  OptionMenu(const Rect& size, ControlListener* listener, int tag, const GuiBitmap* background = nullptr,
             int style = 0);
  ~OptionMenu() override;

  // Appends an entry (text cut to 255 characters). False when full or out of memory.
  bool addEntry(const char* text);
  // Appends a sub-menu entry titled text; the menu takes ownership of subMenu (also on failure).
  bool addEntry(OptionMenu* subMenu, const char* text);
  bool addSeparator() { return addEntry("-"); }
  void removeAllEntries();
  int getNbEntries() const { return count; }

  // The stored text of entry index ("-M..." for sub-menus); false when out of range.
  bool getEntry(int index, char* text) const;
  // The text shown for the entry: numbered by style, without the "-M" mark.
  bool getDisplayText(int index, char* text) const;
  // The text of the current entry (as shown on the control).
  bool getText(char* text) const { return getEntry(getCurrent(), text); }
  bool isSeparator(int index) const;
  OptionMenu* getSubMenu(int index) const;

  void setNumbering(MenuNumbering style, int firstNumber = 1);
  MenuNumbering getNumbering() const { return numbering; }

  // The current entry; setCurrent also sets the value (no notification).
  bool setCurrent(int index);
  int getCurrent() const;

  // Where the last choice landed: the menu holding the entry (this or a sub-menu) and its index.
  OptionMenu* getLastMenu() const { return lastMenu; }
  int getLastIndex() const { return lastIndex; }

  void draw(DrawContext& context) override;
  MouseResult onMouseDown(const MouseEvent& event) override;

  // A choice from the pop-up: menu is this or one of its sub-menus, index an entry of it.
  // Sets the current entries along the way and notifies the listener. False for an invalid choice.
  bool takeChoice(OptionMenu* menu, int index);
  // True if menu is this or nested below it.
  bool holdsMenu(const OptionMenu* menu) const;

private:
  bool append(const char* text, OptionMenu* subMenu);

  char* entries[kMaxEntries];
  OptionMenu* subMenus[kMaxEntries];
  int count = 0;
  MenuNumbering numbering = MenuNumbering::Plain;
  int firstNumber = 1;
  OptionMenu* lastMenu = nullptr;
  int lastIndex = -1;
};

}  // namespace vt::gui
