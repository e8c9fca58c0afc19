// Option menus: capacity and text limits, numbering styles, sub-menus chosen
// through the pop-up, and the framework-drawn pop-up's keyboard and pointer
// navigation with scrolling.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "gui/popup_menu.h"
#include "gui_test_editor.h"

namespace vt::gui::test {
namespace {

std::string shown(const OptionMenu& menu, int index) {
  char text[OptionMenu::kEntryLength];
  menu.getDisplayText(index, text);
  return text;
}

TEST(OptionMenuTest, NumberingStylesAndSubMenuTitles) {
  OptionMenu menu(Rect(0, 0, 100, 20), nullptr, 7);
  menu.addEntry("Sine");
  menu.addSeparator();
  OptionMenu* sub = new OptionMenu(Rect(), nullptr, -1);
  sub->addEntry("Soft");
  menu.addEntry(sub, "More");
  char stored[OptionMenu::kEntryLength];
  ASSERT_TRUE(menu.getEntry(2, stored));
  EXPECT_STREQ(stored, "-MMore");
  EXPECT_EQ(menu.getSubMenu(2), sub);
  EXPECT_EQ(shown(menu, 0), "Sine");
  EXPECT_EQ(shown(menu, 2), "More");
  menu.setNumbering(MenuNumbering::OneDigit);
  EXPECT_EQ(shown(menu, 0), "1 Sine");
  EXPECT_EQ(shown(menu, 2), "3 More");
  menu.setNumbering(MenuNumbering::TwoDigits, 0);
  EXPECT_EQ(shown(menu, 0), "00 Sine");
  EXPECT_EQ(shown(menu, 2), "02 More");
  menu.setNumbering(MenuNumbering::ThreeDigits);
  EXPECT_EQ(shown(menu, 2), "003 More");
  EXPECT_EQ(shown(menu, 1), "-");  // separators stay separators
  EXPECT_FALSE(menu.getDisplayText(3, stored));
  EXPECT_FALSE(menu.getEntry(-1, stored));
}

TEST(OptionMenuTest, HoldsAtMost1024EntriesOf255Characters) {
  OptionMenu menu(Rect(0, 0, 100, 20), nullptr, 7);
  const std::string longText(400, 'x');
  ASSERT_TRUE(menu.addEntry(longText.c_str()));
  char text[OptionMenu::kEntryLength];
  menu.getEntry(0, text);
  EXPECT_EQ(std::strlen(text), 255u);
  for (int i = 1; i < OptionMenu::kMaxEntries; ++i) ASSERT_TRUE(menu.addEntry("e"));
  EXPECT_FALSE(menu.addEntry("one too many"));
  EXPECT_FALSE(menu.addEntry(new OptionMenu(Rect(), nullptr, -1), "sub"));  // refused and freed
  EXPECT_EQ(menu.getNbEntries(), 1024);
  // The value is the plain index.
  menu.setValue(1023.0f);
  EXPECT_EQ(menu.getCurrent(), 1023);
  menu.setValue(5000.0f);
  EXPECT_EQ(menu.getCurrent(), 1023);
}

TEST(OptionMenuTest, ChoosingFromThePopUpSetsCurrentEntriesAndNotifiesOnce) {
  TestEditor editor;
  ASSERT_TRUE(editor.open(reinterpret_cast<void*>(1)));
  HeadlessWindow& window = editor.headless();
  window.press(editor.centreOf(kMenuRect));
  window.release(editor.centreOf(kMenuRect));
  ASSERT_EQ(window.openMenu(), editor.menu);
  EXPECT_EQ(window.menuAnchor(), kMenuRect.offset(kPageOrigin));
  OptionMenu* sub = editor.menu->getSubMenu(2);
  EXPECT_FALSE(window.chooseMenuEntry(editor.menu, 2)) << "a sub-menu title is not a choice";
  EXPECT_TRUE(editor.changes.empty());

  window.press(editor.centreOf(kMenuRect));
  ASSERT_TRUE(window.chooseMenuEntry(sub, 1));
  EXPECT_EQ(editor.menu->getCurrent(), 2);
  EXPECT_EQ(sub->getCurrent(), 1);
  EXPECT_EQ(editor.menu->getLastMenu(), sub);
  EXPECT_EQ(editor.menu->getLastIndex(), 1);
  ASSERT_EQ(editor.changes.size(), 1u);
  EXPECT_EQ(editor.changes[0].tag, kMenuTag);
  EXPECT_EQ(editor.changes[0].value, 2.0f);

  // Dismissed: nothing changes.
  window.press(editor.centreOf(kMenuRect));
  window.dismissMenu();
  EXPECT_EQ(editor.changes.size(), 1u);
}

TEST(PopupMenuTest, KeyboardNavigationScrollsLongListsAndOpensSubMenus) {
  OptionMenu menu(Rect(0, 0, 100, 20), nullptr, 7);
  for (int i = 0; i < 127; ++i) menu.addEntry(("Source " + std::to_string(i)).c_str());
  OptionMenu* sub = new OptionMenu(Rect(), nullptr, -1);
  sub->addEntry("A");
  sub->addSeparator();
  sub->addEntry("B");
  menu.addEntry(sub, "More");
  menu.setCurrent(3);
  const Rect screen(0, 0, 640, 480);
  PopupMenu popup;
  popup.open(menu, Rect(100, 100, 250, 118), screen);
  ASSERT_EQ(popup.state(), PopupMenu::State::Open);
  const Rect& r = popup.levelRect(0);
  EXPECT_LE(r.height(), screen.height());
  EXPECT_GE(r.top, 0);
  EXPECT_EQ(popup.highlighted(0), 3);  // starts on the current entry

  KeyEvent key;
  key.key = VirtualKey::End;
  popup.keyPressed(key);
  EXPECT_EQ(popup.highlighted(0), 127);
  EXPECT_FALSE(popup.entryRect(0, 127).isEmpty()) << "scrolled into view";
  EXPECT_TRUE(popup.entryRect(0, 0).isEmpty());
  key.key = VirtualKey::Right;
  popup.keyPressed(key);
  ASSERT_EQ(popup.levels(), 2);
  EXPECT_EQ(popup.levelMenu(1), sub);
  EXPECT_EQ(popup.highlighted(1), 0);
  key.key = VirtualKey::Down;
  popup.keyPressed(key);
  EXPECT_EQ(popup.highlighted(1), 2) << "the separator is skipped";
  EXPECT_TRUE(popup.levelRect(1).left >= r.right - PopupMenu::kBorder || popup.levelRect(1).right <= r.left + 2);
  key.key = VirtualKey::Escape;
  popup.keyPressed(key);
  EXPECT_EQ(popup.levels(), 1);
  key.key = VirtualKey::Right;
  popup.keyPressed(key);
  key.key = VirtualKey::Down;
  popup.keyPressed(key);
  key.key = VirtualKey::Return;
  popup.keyPressed(key);
  EXPECT_EQ(popup.state(), PopupMenu::State::Chosen);
  EXPECT_EQ(popup.chosenMenu(), sub);
  EXPECT_EQ(popup.chosenIndex(), 2);
}

TEST(PopupMenuTest, PointerChoosesOnReleaseAndAPressOutsideCancels) {
  OptionMenu menu(Rect(0, 0, 100, 20), nullptr, 7);
  menu.addEntry("One");
  menu.addEntry("Two");
  PopupMenu popup;
  // No room below the anchor: the menu opens above it.
  popup.open(menu, Rect(10, 470, 110, 478), Rect(0, 0, 640, 480));
  EXPECT_LE(popup.levelRect(0).bottom, 470);
  const Rect two = popup.entryRect(0, 1);
  const Point inTwo((two.left + two.right) / 2, (two.top + two.bottom) / 2);
  popup.pointerMoved(inTwo);
  EXPECT_EQ(popup.highlighted(0), 1);
  popup.pointerReleased(Point(5, 475));  // the opening click's release, off the menu
  EXPECT_EQ(popup.state(), PopupMenu::State::Open);
  popup.pointerReleased(inTwo);
  EXPECT_EQ(popup.state(), PopupMenu::State::Chosen);
  EXPECT_EQ(popup.chosenIndex(), 1);

  popup.open(menu, Rect(10, 10, 110, 28), Rect(0, 0, 640, 480));
  popup.pointerPressed(Point(600, 400));
  EXPECT_EQ(popup.state(), PopupMenu::State::Cancelled);
}

}  // namespace
}  // namespace vt::gui::test
