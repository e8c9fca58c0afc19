// The controls the editor keeps track of while its window is open: each with
// its kind, page (-1 for the frame) and what fills it; the controls sharing
// a tag are chained so that a parameter write finds them quickly.
#pragma once

#include "editor/layout_entry.h"
#include "engine/parameter_ids.h"

namespace vt::gui {
class Control;
}

namespace vt {

struct PlacedControl {
  gui::Control* control;
  ControlKind kind;
  int page;  // 0-7, or -1 for the frame controls
  MenuItems items;
  int next;  // the next control with the same tag, -1 at the end
};

class ControlRegistry {
public:
  static constexpr int kCapacity = 512;
  static constexpr int kFramePage = -1;

  ControlRegistry() { clear(); }

  // False when full or the tag is outside the parameter array.
  bool add(gui::Control* control, ControlKind kind, int page, MenuItems items = MenuItems::None);
  void clear();

  int count() const { return used; }
  const PlacedControl& at(int index) const { return placed[index]; }
  // The first control with this tag (index into at()), or -1.
  int firstWithTag(int tag) const { return tag >= 0 && tag < kNumParameters ? first[tag] : -1; }

private:
  PlacedControl placed[kCapacity];
  int first[kNumParameters];
  int last[kNumParameters];
  int used = 0;
};

}  // namespace vt
