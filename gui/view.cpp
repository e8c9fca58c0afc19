#include "gui/view.h"

#include "gui/frame.h"
#include "gui/gui_bitmap.h"
#include "gui/view_container.h"

namespace vt::gui {

View::View(const Rect& size) : rect(size), mouseRect(size) {}

View::~View() {
  if (frame) frame->forgetView(this);
}

void View::draw(DrawContext& context) {
  if (background) context.drawBitmap(*background, rect);
}

MouseResult View::onMouseDown(const MouseEvent&) { return MouseResult::Ignored; }
void View::onMouseMoved(const MouseEvent&) {}
void View::onMouseUp(const MouseEvent&) {}
bool View::onWheel(Point, float, int) { return false; }

void View::setDirty(bool dirty) { dirtyFlag.store(dirty, std::memory_order_release); }

void View::setVisible(bool visible) {
  if (visibility == visible) return;
  visibility = visible;
  setDirty();  // its area is redrawn: shown, or what is behind it
}

void View::setViewSize(const Rect& size) {
  // Both the old and the new area need drawing: the parent redraws its whole area.
  if (parent) parent->setDirty();
  rect = size;
  mouseRect = size;
  setDirty();
}

void View::setBackground(const GuiBitmap* image) {
  background = image;
  setDirty();
}

Point View::parentOrigin() const {
  Point origin;
  for (const ViewContainer* p = parent; p; p = p->getParentView()) origin = origin + p->getViewSize().topLeft();
  return origin;
}

Rect View::frameRect() const { return rect.offset(parentOrigin()); }

void View::attached(ViewContainer* parentView, Frame* owningFrame) {
  parent = parentView;
  frame = owningFrame;
  setDirty();
}

void View::detached() {
  if (frame) frame->forgetView(this);
  parent = nullptr;
  frame = nullptr;
}

}  // namespace vt::gui
