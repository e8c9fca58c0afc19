#include "editor/display_canvas.h"

#include "editor/editor_palette.h"

namespace vt {

DisplayCanvas::DisplayCanvas(gui::DrawContext& window, const gui::Rect& r)
    : target(window), area(r), offscreen(r.width(), r.height()) {
  drawing = offscreen.isValid() ? static_cast<gui::DrawContext*>(&offscreen) : &target;
  savedOffset = drawing->getOffset();
  savedClip = drawing->getSurfaceClip();
  if (offscreen.isValid()) offscreen.setOffset(gui::Point{-r.left, -r.top});
}

DisplayCanvas::~DisplayCanvas() {
  drawing->setSurfaceClip(savedClip);
  drawing->setOffset(savedOffset);
  if (offscreen.isValid()) offscreen.copyTo(target, area);
}

void DisplayCanvas::fillBackground(const gui::GuiBitmap* background) {
  if (background && background->isLoaded()) {
    drawing->drawBitmapOpaque(*background, area);
  } else {
    drawing->setFillColor(kFieldColor);
    drawing->fillRect(area);
  }
}

}  // namespace vt
