#include "editor/control_registry.h"

#include "gui/control.h"

namespace vt {

bool ControlRegistry::add(gui::Control* control, ControlKind kind, int page, MenuItems items) {
  if (!control || used >= kCapacity) return false;
  const int tag = control->getTag();
  if (tag < 0 || tag >= kNumParameters) return false;
  placed[used] = PlacedControl{control, kind, page, items, -1};
  if (first[tag] < 0)
    first[tag] = used;
  else
    placed[last[tag]].next = used;
  last[tag] = used;
  ++used;
  return true;
}

void ControlRegistry::clear() {
  used = 0;
  for (int i = 0; i < kNumParameters; ++i) first[i] = last[i] = -1;
}

}  // namespace vt
