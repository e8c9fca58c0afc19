// A row or column of n two-state entries, each with its own image (upper half
// off, lower half on), entry i at (left + i * dx, top + i * dy). The current
// entry is round(value * (n - 1)); pressing another entry selects it
// (value i / (n - 1)) and notifies. Presses elsewhere do nothing.
#pragma once

#include "gui/control.h"

namespace vt {

class RadioGroup : public gui::Control {
public:
  static constexpr int kMaxEntries = 8;

  RadioGroup(const gui::Rect& size, gui::ControlListener* listener, int tag, int entries, int dx, int dy);

  // Sets entry i's image (not owned).
  void setEntryImage(int index, const gui::GuiBitmap* image);
  int entryCount() const { return count; }
  int currentEntry() const;
  // Entry i's box (parent coordinates): image width x half the image height at its place.
  gui::Rect entryRect(int index) const;

  void draw(gui::DrawContext& context) override;
  gui::MouseResult onMouseDown(const gui::MouseEvent& event) override;

private:
  const gui::GuiBitmap* images[kMaxEntries] = {};
  int count;
  int stepX;
  int stepY;
};

}  // namespace vt
