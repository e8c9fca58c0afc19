#include "gui/text_edit.h"

#include <cstring>

#include "gui/frame.h"

namespace vt::gui {

TextEdit::TextEdit(const Rect& size, ControlListener* l, int t, const char* initial, const GuiBitmap* image,
                   int displayStyle)
    : ParamDisplay(size, image, displayStyle) {
  listener = l;
  tag = t;
  text[0] = 0;
  setText(initial);
}

void TextEdit::setText(const char* newText) {
  if (!newText) newText = "";
  if (std::strncmp(text, newText, kMaxLength) == 0 && std::strlen(newText) <= static_cast<size_t>(kMaxLength)) return;
  std::strncpy(text, newText, kMaxLength);
  text[kMaxLength] = 0;
  setDirty();
}

void TextEdit::draw(DrawContext& context) { drawText(context, text); }

MouseResult TextEdit::onMouseDown(const MouseEvent& event) {
  if (!(event.buttons & kLeftButton)) return MouseResult::Handled;
  if (frame && !entryOpen) frame->beginTextEntry(*this);
  return MouseResult::Handled;
}

void TextEdit::entryFinished(bool commit, const char* newText) {
  entryOpen = false;
  setDirty();
  if (!commit) return;
  setText(newText);
  notifyListener();
}

}  // namespace vt::gui
