#include "gui/text_entry.h"

#include <cstring>

namespace vt::gui {

void TextEntry::start(const char* text, const Rect& area) {
  std::strncpy(buffer, text ? text : "", kMaxLength);
  buffer[kMaxLength] = 0;
  length = static_cast<int>(std::strlen(buffer));
  cursorPos = length;
  rect = area;
}

TextEntry::Result TextEntry::handleKey(const KeyEvent& key) {
  switch (key.key) {
    case VirtualKey::Return:
      return Result::Commit;
    case VirtualKey::Escape:
      return Result::Cancel;
    case VirtualKey::Backspace:
      if (cursorPos == 0) return Result::Nothing;
      std::memmove(buffer + cursorPos - 1, buffer + cursorPos, static_cast<size_t>(length - cursorPos + 1));
      --cursorPos;
      --length;
      return Result::Changed;
    case VirtualKey::Delete:
      if (cursorPos >= length) return Result::Nothing;
      std::memmove(buffer + cursorPos, buffer + cursorPos + 1, static_cast<size_t>(length - cursorPos));
      --length;
      return Result::Changed;
    case VirtualKey::Left:
      if (cursorPos > 0) --cursorPos;
      return Result::Changed;
    case VirtualKey::Right:
      if (cursorPos < length) ++cursorPos;
      return Result::Changed;
    case VirtualKey::Home:
      cursorPos = 0;
      return Result::Changed;
    case VirtualKey::End:
      cursorPos = length;
      return Result::Changed;
    default:
      break;
  }
  const int c = key.character;
  if (c < 32 || c > 255 || c == 127 || (key.modifiers & kControl)) return Result::Nothing;
  if (length >= kMaxLength) return Result::Nothing;
  std::memmove(buffer + cursorPos + 1, buffer + cursorPos, static_cast<size_t>(length - cursorPos + 1));
  buffer[cursorPos++] = static_cast<char>(c);
  ++length;
  return Result::Changed;
}

void TextEntry::draw(DrawContext& context, const BitmapFont& font, Color textColor, Color backColor,
                     HoriAlign align) const {
  context.setFillColor(backColor);
  context.fillRect(rect);
  context.setFrameColor(textColor);
  context.drawRect(rect);
  const Rect inner = rect.inset(2, 1);
  const int fullWidth = font.textWidth(buffer);
  const int cursorX = font.textWidth(buffer, cursorPos);
  int x = inner.left;
  if (fullWidth <= inner.width()) {
    if (align == HoriAlign::Center) x = inner.left + (inner.width() - fullWidth) / 2;
    if (align == HoriAlign::Right) x = inner.right - fullWidth;
  } else if (cursorX > inner.width() - 2) {
    x = inner.left - (cursorX - (inner.width() - 2));  // keep the cursor in view
  }
  const Rect savedClip = context.getSurfaceClip();
  context.setSurfaceClip(savedClip.intersect(inner.offset(context.getOffset())));
  const int y = inner.top + (inner.height() - font.height()) / 2;
  context.setFont(&font);
  context.setFontColor(textColor);
  context.drawText(x, y, buffer);
  context.setFont(nullptr);
  context.setFillColor(textColor);
  context.setSurfaceClip(savedClip.intersect(rect.offset(context.getOffset())));
  context.fillRect(Rect(x + cursorX, y, x + cursorX + 1, y + font.height()));
  context.setSurfaceClip(savedClip);
}

}  // namespace vt::gui
