#include "editor/display_text.h"

#include "editor/editor_palette.h"

namespace vt {

void drawDisplayLabel(gui::DrawContext& context, int x, int y, const char* text, LabelAnchor anchor) {
  if (!text) return;
  const int width = context.getStringWidth(text);
  const int left = anchor == LabelAnchor::Left ? x : (anchor == LabelAnchor::Centre ? x - width / 2 : x - width);
  context.setFontColor(kDisplayLabelColor);
  context.drawText(left, y, text);
}

}  // namespace vt
