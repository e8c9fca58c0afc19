// A view holding child views in insertion order. Children's rectangles are in
// the container's own coordinates (its top-left is their origin). It draws its
// background and then the children; a press goes to the topmost visible child
// whose mouseable area holds the point.
#pragma once

#include "gui/view.h"

namespace vt::gui {

class ViewContainer : public View {
public:
  explicit ViewContainer(const Rect& size);
  ~ViewContainer() override;  // destroys the children still held

  // Takes ownership. False (and the view destroyed) when the list cannot grow.
  virtual bool addView(View* view);
  // Removes the view; destroys it unless keep is true (then the caller owns it).
  virtual bool removeView(View* view, bool keep = false);
  void removeAll(bool keep = false);
  bool containsView(const View* view) const;
  int viewCount() const { return count; }
  View* viewAt(int index) const { return index >= 0 && index < count ? children[index] : nullptr; }

  void draw(DrawContext& context) override;
  // Draws only what lies in area (container coordinates): background, then the children that meet it.
  virtual void drawArea(DrawContext& context, const Rect& area);
  // Fills what lies behind the container's own content (background image, else the back colour).
  void drawBackgroundArea(DrawContext& context, const Rect& area);
  void setBackColor(Color c) { backColor = c; }

  MouseResult onMouseDown(const MouseEvent& event) override;
  bool onWheel(Point where, float distance, int modifiers) override;

  // The topmost visible child under p (container coordinates), or nullptr.
  View* viewAt(Point p) const;

  // Marks the container and every child for redrawing.
  void setDirty(bool dirty = true) override;
  bool isContainer() const override { return true; }

  // Collects the dirty rectangles (frame coordinates) of this subtree, clearing the
  // marks; a dirty container contributes its whole rectangle. Returns the new count.
  int collectDirty(Rect* rects, int capacity, int used);
  // Adds r to a list of disjoint rectangles, merging overlaps; returns the new count.
  static int addDirtyRect(Rect* rects, int capacity, int used, Rect r);

protected:
  void attached(ViewContainer* parentView, Frame* owningFrame) override;
  void detached() override;

  View** children = nullptr;
  int count = 0;
  int capacity = 0;
  Color backColor = rgb(0, 0, 0);
};

}  // namespace vt::gui
