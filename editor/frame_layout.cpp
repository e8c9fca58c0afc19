// The controls on every page: page tabs, instrument menus, top-row commands,
// master tune and MIDI learn.
#include "editor/image_ids.h"
#include "editor/layout_builders.h"
#include "editor/page_layout.h"
#include "engine/parameter_ids.h"

namespace vt {

namespace {

using namespace layout;

const LayoutEntry kFrameControls[] = {
    // Page tabs: eight entries 96 apart, each from its own two-state image; the morph page first.
    withBounds(radio(181, 13, 66, kPageCount, 96, 0, 129, 97, 22, kTabImages), 788, 87),
    menu(238, 330, 15, 477, 34, 175, MenuItems::InstrumentCategories),
    menu(237, 491, 15, 637, 34, 175, MenuItems::Instruments),
    hidden(kick(239, 310, 18, 155, 21, 17)),
    kick(217, 325, 35, 159, 66, 25),
    hidden(kick(218, 413, 35, 161, 54, 25)),
    kick(244, 488, 35, 162, 54, 25),
    kick(232, 562, 35, 177, 51, 25),
    knob(MasterDetune, 35, 494, 0),
    onOff(236, 84, 504, 163, 48, 23),
};

}  // namespace

LayoutTable frameLayout() {
  return {kFrameControls, static_cast<int>(sizeof(kFrameControls) / sizeof(kFrameControls[0]))};
}

}  // namespace vt
