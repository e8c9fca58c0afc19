// The base of everything on the editor window: a rectangle in its parent
// container's coordinates (the frame's for views added to the frame), a
// mouseable rectangle, visibility, transparency and a dirty mark. A dirty
// mark may be set from any thread; only the UI thread draws.
#pragma once

#include <atomic>

#include "gui/draw_context.h"
#include "gui/gui_events.h"
#include "gui/gui_types.h"

namespace vt::gui {

class Frame;
class GuiBitmap;
class ViewContainer;

// What a view's mouse press asks of the frame.
enum class MouseResult {
  Ignored,   // not handled (the press goes nowhere)
  Handled,   // done with the press; no moves or release follow
  Captured,  // the view follows the drag: moves and the release come to it (pointer grabbed)
};

class View {
public:
  explicit View(const Rect& size);
  virtual ~View();
  View(const View&) = delete;
  View& operator=(const View&) = delete;

  // Drawing: the context's offset is the parent's origin, so draw at getViewSize().
  virtual void draw(DrawContext& context);

  // Mouse, in the parent's coordinates. A Captured press receives every move and
  // the release until all buttons are up (or the capture is cancelled).
  virtual MouseResult onMouseDown(const MouseEvent& event);
  virtual void onMouseMoved(const MouseEvent& event);
  virtual void onMouseUp(const MouseEvent& event);
  // The capture ended without a release (window closed, grab lost).
  virtual void onMouseCancelled() {}
  virtual bool onWheel(Point where, float distance, int modifiers);

  // Marks (or clears) the view for redrawing at the next idle or paint; safe from any thread.
  virtual void setDirty(bool dirty = true);
  bool isDirty() const { return dirtyFlag.load(std::memory_order_acquire); }
  bool takeDirty() { return dirtyFlag.exchange(false, std::memory_order_acq_rel); }

  // A transparent view does not cover its rectangle: what is behind it is drawn first.
  virtual void setTransparency(bool transparent) { transparency = transparent; }
  bool getTransparency() const { return transparency; }
  virtual void setVisible(bool visible);
  bool isVisible() const { return visibility; }

  virtual void setViewSize(const Rect& size);
  const Rect& getViewSize() const { return rect; }
  void setMouseableArea(const Rect& r) { mouseRect = r; }
  const Rect& getMouseableArea() const { return mouseRect; }
  int getWidth() const { return rect.width(); }
  int getHeight() const { return rect.height(); }

  // The background image drawn behind the view's own content (not owned).
  virtual void setBackground(const GuiBitmap* background);
  const GuiBitmap* getBackground() const { return background; }

  // The tree: set by the container when the view is added.
  Frame* getFrame() const { return frame; }
  ViewContainer* getParentView() const { return parent; }
  // This view's rectangle in frame coordinates.
  Rect frameRect() const;
  // The offset that turns this view's parent coordinates into frame coordinates.
  Point parentOrigin() const;

  virtual bool isContainer() const { return false; }

protected:
  friend class ViewContainer;
  virtual void attached(ViewContainer* parentView, Frame* owningFrame);
  virtual void detached();

  Rect rect;
  Rect mouseRect;
  const GuiBitmap* background = nullptr;
  Frame* frame = nullptr;
  ViewContainer* parent = nullptr;
  bool transparency = false;
  bool visibility = true;

private:
  std::atomic<bool> dirtyFlag{true};
};

}  // namespace vt::gui
