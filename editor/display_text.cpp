#include "editor/display_text.h"

#include <cstring>

#include "editor/editor_palette.h"
#include "editor/image_ids.h"
#include "gui/gui_bitmap.h"

namespace vt {

namespace {

constexpr int kDigitHeight = 5;
constexpr int kDigitTop = 2;  // the digits sit in the middle of a text line

bool onlyDigits(const char* text) {
  if (!*text) return false;
  for (const char* c = text; *c; ++c)
    if (*c < '0' || *c > '9') return false;
  return true;
}

}  // namespace

void drawDisplayLabel(gui::DrawContext& context, const gui::GuiBitmap* digits, int x, int y, const char* text,
                      LabelAnchor anchor) {
  if (!text) return;
  const bool strip = digits && digits->isLoaded() && onlyDigits(text);
  const int width = strip ? static_cast<int>(std::strlen(text)) * kDigitCellWidth - 1 : context.getStringWidth(text);
  const int left = anchor == LabelAnchor::Left ? x : (anchor == LabelAnchor::Centre ? x - width / 2 : x - width);
  if (!strip) {
    context.setFontColor(kDisplayLabelColor);
    context.drawText(left, y, text);
    return;
  }
  int cx = left;
  for (const char* c = text; *c; ++c, cx += kDigitCellWidth)
    context.drawBitmap(*digits, gui::Rect::fromSize(cx, y + kDigitTop, kDigitCellWidth, kDigitHeight),
                       gui::Point{(*c - '0') * kDigitCellWidth, 0});
}

}  // namespace vt
