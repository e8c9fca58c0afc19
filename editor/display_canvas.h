// Where an editing display composes its picture: an offscreen surface the
// size of the display, copied to the window in one block when the canvas goes
// away, so a drag never flickers. When no offscreen surface can be had the
// display draws straight into the window, whose clip is kept.
#pragma once

#include "gui/draw_context.h"
#include "gui/gui_bitmap.h"

namespace vt {

class DisplayCanvas {
public:
  // r: the display's rectangle in the target's (offset) coordinates.
  DisplayCanvas(gui::DrawContext& target, const gui::Rect& r);
  ~DisplayCanvas();
  DisplayCanvas(const DisplayCanvas&) = delete;
  DisplayCanvas& operator=(const DisplayCanvas&) = delete;

  // Draw here in the same coordinates as on the target.
  gui::DrawContext& context() { return *drawing; }
  // Starts the picture: the display's background image, or the field colour
  // while the image is missing.
  void fillBackground(const gui::GuiBitmap* background);

private:
  gui::DrawContext& target;
  gui::Rect area;
  gui::OffscreenContext offscreen;
  gui::DrawContext* drawing;
  gui::Point savedOffset;
  gui::Rect savedClip;
};

}  // namespace vt
