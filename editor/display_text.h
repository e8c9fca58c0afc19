// Axis and harmonic-number labels of the editing displays: a label made of
// digits only is drawn from the digit strip (image 144, 4-pixel cells of
// 3 x 5 digits) when it is loaded; anything else (and every label without the
// strip) in the framework's font. Labels are in the display label colour.
#pragma once

#include "gui/draw_context.h"

namespace vt::gui {
class GuiBitmap;
}

namespace vt {

// x is the label's left edge, centre or right end; y the top of the line.
enum class LabelAnchor { Left, Centre, Right };
void drawDisplayLabel(gui::DrawContext& context, const gui::GuiBitmap* digits, int x, int y, const char* text,
                      LabelAnchor anchor);

}  // namespace vt
