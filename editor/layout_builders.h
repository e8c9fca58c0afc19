// Short constructors for the entries of the layout tables. A control drawn
// from a stacked image takes its size from one state of that image.
#pragma once

#include "editor/layout_entry.h"

namespace vt {
namespace layout {

constexpr LayoutEntry entry(int tag, ControlKind kind, int left, int top, int right, int bottom, int image = 0) {
  return LayoutEntry{
      tag, false, kind, left, top, right, bottom, image, 0, 0, 0, 0, true, FieldLabels::None, MenuItems::None, nullptr};
}

constexpr LayoutEntry perVoice(LayoutEntry e) {
  e.perVoice = true;
  return e;
}

constexpr LayoutEntry hidden(LayoutEntry e) {
  e.shown = false;
  return e;
}

// A knob and, unless readout is 0, its value read-out that far below its top.
constexpr LayoutEntry knob(int tag, int x, int y, int readout = kReadoutBelow) {
  LayoutEntry e = entry(tag, ControlKind::FilmKnob, x, y, x + kKnobSize, y + kKnobSize, 154);
  e.readout = readout;
  return e;
}

// A button of one state's size w x h.
constexpr LayoutEntry button(ControlKind kind, int tag, int x, int y, int image, int w, int h) {
  return entry(tag, kind, x, y, x + w, y + h, image);
}

constexpr LayoutEntry onOff(int tag, int x, int y, int image, int w, int h) {
  return button(ControlKind::OnOffButton, tag, x, y, image, w, h);
}

constexpr LayoutEntry kick(int tag, int x, int y, int image, int w, int h) {
  return button(ControlKind::KickButton, tag, x, y, image, w, h);
}

// A radio group of n entries of w x h (one state), dx/dy apart.
constexpr LayoutEntry radio(int tag, int x, int y, int n, int dx, int dy, int image, int w, int h,
                            const int* entryImages = nullptr) {
  LayoutEntry e = entry(tag, ControlKind::RadioGroup, x, y, x + (n - 1) * dx + w, y + (n - 1) * dy + h, image);
  e.entries = n;
  e.stepX = dx;
  e.stepY = dy;
  e.entryImages = entryImages;
  return e;
}

constexpr LayoutEntry withBounds(LayoutEntry e, int right, int bottom) {
  e.right = right;
  e.bottom = bottom;
  return e;
}

constexpr LayoutEntry field(int tag, int left, int top, int right, int bottom, int steps, FieldLabels labels) {
  LayoutEntry e = entry(tag, ControlKind::NumberField, left, top, right, bottom, 141);
  e.entries = steps;
  e.labels = labels;
  return e;
}

constexpr LayoutEntry menu(int tag, int left, int top, int right, int bottom, int image, MenuItems items) {
  LayoutEntry e = entry(tag, ControlKind::OptionMenu, left, top, right, bottom, image);
  e.items = items;
  return e;
}

}  // namespace layout
}  // namespace vt
