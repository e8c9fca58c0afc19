// The framework's own single-line text entry (used where the backend has no
// native edit box): a buffer of at most 255 characters with a cursor,
// printable keys insert, Backspace/Delete remove, Left/Right/Home/End move;
// Enter commits and Escape cancels (the frame acts on them). It draws itself
// with the built-in font over the field, the cursor as a thin bar.
#pragma once

#include "gui/draw_context.h"
#include "gui/gui_events.h"

namespace vt::gui {

class TextEntry {
public:
  static constexpr int kMaxLength = 255;
  enum class Result { Nothing, Changed, Commit, Cancel };

  void start(const char* text, const Rect& area);
  Result handleKey(const KeyEvent& key);
  const char* text() const { return buffer; }
  int cursor() const { return cursorPos; }
  const Rect& area() const { return rect; }
  void draw(DrawContext& context, const BitmapFont& font, Color textColor, Color backColor, HoriAlign align) const;

private:
  char buffer[kMaxLength + 1] = {};
  int length = 0;
  int cursorPos = 0;
  Rect rect;
};

}  // namespace vt::gui
