// Small text helpers shared by the editing displays: labels in the display
// label colour.
#pragma once

#include "gui/draw_context.h"

namespace vt {

// Draws text with its left edge at x (or centred on x, or ending at x) and its top at y.
enum class LabelAnchor { Left, Centre, Right };
void drawDisplayLabel(gui::DrawContext& context, int x, int y, const char* text, LabelAnchor anchor);

}  // namespace vt
