#include "editor/editor_display.h"

#include "editor/editor_palette.h"
#include "gui/gui_bitmap.h"

namespace vt {

namespace {

constexpr int kGridDivisions = 4;

}  // namespace

EditorDisplay::EditorDisplay(const gui::Rect& size, gui::ControlListener* listener, int tag, ControlKind kind,
                             const gui::GuiBitmap* backgroundImage)
    : Control(size, listener, tag, backgroundImage), displayKind(kind) {}

void EditorDisplay::draw(gui::DrawContext& context) {
  const gui::Rect& r = getViewSize();
  if (background && background->isLoaded()) {
    context.drawBitmapOpaque(*background, r);
    return;
  }
  context.setFillColor(kFieldColor);
  context.fillRect(r);
  context.setFillColor(kDisplayGridColor);
  for (int i = 1; i < kGridDivisions; ++i) {
    const int y = r.top + r.height() * i / kGridDivisions;
    context.fillRect(gui::Rect(r.left + 1, y, r.right - 1, y + 1));
  }
  context.setFrameColor(kFieldEdgeColor);
  context.drawRect(r);
}

gui::MouseResult EditorDisplay::onMouseDown(const gui::MouseEvent& /*event*/) { return gui::MouseResult::Ignored; }

}  // namespace vt
