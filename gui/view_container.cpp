#include "gui/view_container.h"

#include <new>

#include "gui/frame.h"
#include "gui/gui_bitmap.h"

namespace vt::gui {

ViewContainer::ViewContainer(const Rect& size) : View(size) {}

ViewContainer::~ViewContainer() {
  removeAll(false);
  delete[] children;
}

bool ViewContainer::addView(View* view) {
  if (!view) return false;
  if (count == capacity) {
    const int grown = capacity ? capacity * 2 : 16;
    View** list = new (std::nothrow) View*[grown];
    if (!list) {
      delete view;
      return false;
    }
    for (int i = 0; i < count; ++i) list[i] = children[i];
    delete[] children;
    children = list;
    capacity = grown;
  }
  children[count++] = view;
  view->attached(this, frame);
  return true;
}

bool ViewContainer::removeView(View* view, bool keep) {
  for (int i = 0; i < count; ++i) {
    if (children[i] != view) continue;
    for (int j = i + 1; j < count; ++j) children[j - 1] = children[j];
    --count;
    setDirty();  // what was under it shows again
    view->detached();
    if (!keep) delete view;
    return true;
  }
  return false;
}

void ViewContainer::removeAll(bool keep) {
  while (count > 0) {
    View* view = children[--count];
    view->detached();
    if (!keep) delete view;
  }
  setDirty();
}

bool ViewContainer::containsView(const View* view) const {
  for (int i = 0; i < count; ++i)
    if (children[i] == view) return true;
  return false;
}

void ViewContainer::attached(ViewContainer* parentView, Frame* owningFrame) {
  View::attached(parentView, owningFrame);
  for (int i = 0; i < count; ++i) children[i]->attached(this, owningFrame);
}

void ViewContainer::detached() {
  for (int i = 0; i < count; ++i) children[i]->detached();
  View::detached();
}

void ViewContainer::draw(DrawContext& context) { drawArea(context, Rect(0, 0, rect.width(), rect.height())); }

void ViewContainer::drawBackgroundArea(DrawContext& context, const Rect& area) {
  const Rect own(0, 0, rect.width(), rect.height());
  const Rect a = area.intersect(own);
  if (a.isEmpty()) return;
  if (background && background->isLoaded()) {
    // Whatever the image does not cover is filled with the back colour.
    const Rect image(0, 0, background->getWidth(), background->getHeight());
    if (!(a.intersect(image) == a)) {
      context.setFillColor(backColor);
      context.fillRect(a);
    }
    context.drawBitmapOpaque(*background, a.intersect(image), a.topLeft());
  } else {
    context.setFillColor(backColor);
    context.fillRect(a);
  }
}

void ViewContainer::drawArea(DrawContext& context, const Rect& area) {
  const Point savedOffset = context.getOffset();
  const Rect savedClip = context.getSurfaceClip();
  const Point origin = savedOffset + rect.topLeft();
  const Rect local = area.intersect(Rect(0, 0, rect.width(), rect.height()));
  if (local.isEmpty()) return;
  const Rect clip = savedClip.intersect(local.offset(origin));
  if (clip.isEmpty()) return;
  context.setOffset(origin);
  context.setSurfaceClip(clip);
  drawBackgroundArea(context, local);
  for (int i = 0; i < count; ++i) {
    View* v = children[i];
    if (!v->isVisible() || !v->getViewSize().intersects(local)) continue;
    if (v->isContainer()) {
      static_cast<ViewContainer*>(v)->drawArea(context, local.offset(-v->getViewSize().left, -v->getViewSize().top));
    } else {
      context.setSurfaceClip(clip.intersect(v->getViewSize().offset(origin)));
      v->draw(context);
      context.setSurfaceClip(clip);
    }
  }
  context.setOffset(savedOffset);
  context.setSurfaceClip(savedClip);
}

View* ViewContainer::viewAt(Point p) const {
  for (int i = count - 1; i >= 0; --i) {
    View* v = children[i];
    if (v->isVisible() && v->getMouseableArea().contains(p)) return v;
  }
  return nullptr;
}

MouseResult ViewContainer::onMouseDown(const MouseEvent& event) {
  MouseEvent local = event;
  local.where = event.where - rect.topLeft();
  for (int i = count - 1; i >= 0; --i) {
    View* v = children[i];
    if (!v->isVisible() || !v->getMouseableArea().contains(local.where)) continue;
    const MouseResult r = v->onMouseDown(local);
    if (r == MouseResult::Ignored) continue;  // let a view below have it
    if (r == MouseResult::Captured && frame) frame->captureFor(v);
    return r;
  }
  return MouseResult::Ignored;
}

bool ViewContainer::onWheel(Point where, float distance, int modifiers) {
  const Point local = where - rect.topLeft();
  for (int i = count - 1; i >= 0; --i) {
    View* v = children[i];
    if (v->isVisible() && v->getMouseableArea().contains(local) && v->onWheel(local, distance, modifiers)) return true;
  }
  return false;
}

void ViewContainer::setDirty(bool dirty) {
  View::setDirty(dirty);
  if (!dirty)
    for (int i = 0; i < count; ++i) children[i]->setDirty(false);
}

int ViewContainer::collectDirty(Rect* rects, int cap, int used) {
  const Point origin = parentOrigin() + rect.topLeft();
  for (int i = 0; i < count; ++i) {
    View* v = children[i];
    Rect r;
    if (v->takeDirty()) r = v->getViewSize().offset(origin);
    if (v->isContainer() && v->isVisible()) used = static_cast<ViewContainer*>(v)->collectDirty(rects, cap, used);
    if (r.isEmpty()) continue;
    used = addDirtyRect(rects, cap, used, r);
  }
  return used;
}

int ViewContainer::addDirtyRect(Rect* rects, int cap, int used, Rect r) {
  // Overlapping rectangles merge, so each pixel is drawn once per pass.
  bool merged = true;
  while (merged) {
    merged = false;
    for (int j = 0; j < used; ++j) {
      if (!rects[j].intersects(r)) continue;
      r = r.unite(rects[j]);
      rects[j] = rects[--used];
      merged = true;
      break;
    }
  }
  if (used < cap) {
    rects[used++] = r;
  } else {
    rects[used - 1] = rects[used - 1].unite(r);
  }
  return used;
}

}  // namespace vt::gui
