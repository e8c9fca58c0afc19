// The base of the breakpoint-curve displays: a plot (the control less 3
// pixels left, top and right and 10 at the bottom), the points of whatever the
// subclass shows, a selected point, and the mouse editing common to all:
//  - left press on a point selects it and drags it (keeping the press offset;
//    the position stays inside the plot), on empty space inserts a point
//    there and selects it;
//  - right press on a point deletes it (the selection stays valid); on empty
//    space it does nothing;
//  - with the scroll strip enabled, a press below the plot scrolls: moving
//    left by d pixels adds d * span / width to the offset (never below 0); the
//    wheel zooms the span around the cursor.
// Everything is event driven through the frame's capture. See
// display_binding.h for how an edit is reported.
//
// Subclasses work in plot units: u across the plot (0 left, 1 right), v up
// it (0 bottom, 1 top).
#pragma once

#include "editor/display_binding.h"
#include "gui/control.h"

namespace vt {

class CurveEditor : public gui::Control {
public:
  static constexpr int kInsetSide = 3;
  static constexpr int kInsetBottom = 10;
  static constexpr int kPointSize = 9;
  static constexpr int kHitDistanceSquared = 50;  // a press nearer than this (pixels squared) hits a point
  static constexpr float kInitialSpan = 4.0f;
  static constexpr float kMinSpan = 0.25f;
  static constexpr float kMaxSpan = 64.0f;

  CurveEditor(const gui::Rect& size, gui::ControlListener* listener, int tag, const gui::GuiBitmap* background);

  void setEditListener(DisplayEditListener* l) { editListener = l; }
  // The digit strip for axis and harmonic numbers (not owned; the font when none).
  void setDigitStrip(const gui::GuiBitmap* strip) { digitStrip = strip; }

  gui::Rect plotRect() const;
  int selectedPoint() const { return selected; }
  // Selects point i (limited to the points there are; -1 without points).
  void selectPoint(int index);
  void setShowAllPoints(bool all) {
    showAll = all;
    setDirty();
  }

  // Horizontal view of the time-axis displays: seconds from the left edge and seconds across.
  float scrollOffset() const { return offset; }
  float zoomSpan() const { return span; }
  void setScroll(float offsetSeconds, float spanSeconds);
  bool hasScrollStrip() const { return scrollStrip; }

  // The plot position of a point in pixels (this control's parent coordinates).
  gui::Point pointPosition(int index) const;
  // The point within hit distance of p, nearest first; -1 for none.
  int hitTest(gui::Point p) const;

  // What the subclass shows, in plot units.
  virtual int pointCount() const = 0;
  virtual void pointAt(int index, float& u, float& v) const = 0;

  void draw(gui::DrawContext& context) override;
  gui::MouseResult onMouseDown(const gui::MouseEvent& event) override;
  void onMouseMoved(const gui::MouseEvent& event) override;
  void onMouseUp(const gui::MouseEvent& event) override;
  void onMouseCancelled() override;
  bool onWheel(gui::Point where, float distance, int modifiers) override;

protected:
  // Edits of the bound data; each returns whether something changed.
  virtual bool movePointTo(int index, float u, float v) = 0;
  // Returns the new point's index, or -1 when nothing was inserted.
  virtual int insertPointAt(float u, float v) = 0;
  virtual bool deletePoint(int index) = 0;
  // The selection changed (a companion display follows it).
  virtual void selectionChanged() {}
  // Grid and axis labels under the curve, and anything drawn over it.
  virtual void drawGrid(gui::DrawContext& context, const gui::Rect& plot);
  virtual void drawOverlay(gui::DrawContext& /*context*/, const gui::Rect& /*plot*/) {}
  // Seconds at plot position u and back, for the time-axis subclasses.
  float timeAt(float u) const { return offset + u * span; }
  float positionOfTime(float t) const { return (t - offset) / span; }
  void enableScrollStrip(bool on) { scrollStrip = on; }

  gui::Color lineColor;
  const gui::GuiBitmap* digitStrip = nullptr;
  gui::Color pointColor;

private:
  void toPlot(gui::Point p, float& u, float& v) const;
  void finishEdit();

  DisplayEditListener* editListener = nullptr;
  int selected = -1;
  bool showAll = false;
  bool scrollStrip = false;
  float offset = 0.0f;
  float span = kInitialSpan;
  enum class Drag { None, Point, Scroll, Idle } drag = Drag::None;
  gui::Point grabOffset;  // cursor minus the dragged point's position at the press
  int lastX = 0;
  bool changed = false;
};

}  // namespace vt
