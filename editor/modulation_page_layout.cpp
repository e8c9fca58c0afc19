// The modulation and LFO page: eight modulation rows (slots 1-8; slots 9 and
// 10 have no controls), pitch-bend range and the two LFOs.
#include "editor/layout_builders.h"
#include "editor/page_layout.h"
#include "engine/parameter_ids.h"

namespace vt {

namespace {

using namespace layout;

constexpr int kModulationRows = 8;
constexpr int kEntriesPerRow = 4;  // source menu, target menu, minimum and maximum sliders
// Row r's bottom edge.
constexpr int rowBottom(int r) { return 55 + 31 * r; }
// Track image 168 is 171 x 22.
constexpr int kTrackWidth = 171;
constexpr int kTrackHeight = 22;

struct ModulationPage {
  LayoutEntry entries[kModulationRows * kEntriesPerRow + 5];
};

constexpr ModulationPage makePage() {
  ModulationPage page{};
  int n = 0;
  for (int r = 0; r < kModulationRows; ++r) {
    const int y = rowBottom(r);
    page.entries[n++] = menu(ModSource1 + r, 19, y - 20, 173, y, 176, MenuItems::ModulationSources);
    page.entries[n++] = menu(ModTarget1 + r, 213, y - 20, 365, y, 176, MenuItems::ModulationTargets);
    page.entries[n++] =
        entry(ModMin1 + r, ControlKind::HSlider, 396, y - 21, 396 + kTrackWidth, y - 21 + kTrackHeight, 168);
    page.entries[n++] =
        entry(ModMax1 + r, ControlKind::HSlider, 583, y - 21, 583 + kTrackWidth, y - 21 + kTrackHeight, 168);
  }
  constexpr int kLowerReadout = 44;
  page.entries[n++] = knob(PitchbendRange, 50, 318, kLowerReadout);
  page.entries[n++] = radio(Lfo1Shape, 181, 318, 3, 0, 22, 158, 13, 13);
  page.entries[n++] = knob(Lfo1Rate, 225, 318, kLowerReadout);
  page.entries[n++] = radio(Lfo2Shape, 320, 318, 3, 0, 22, 158, 13, 13);
  page.entries[n++] = knob(Lfo2Rate, 364, 318, kLowerReadout);
  return page;
}

constexpr ModulationPage kModulationControls = makePage();

}  // namespace

LayoutTable modulationPageLayout() {
  return {kModulationControls.entries,
          static_cast<int>(sizeof(kModulationControls.entries) / sizeof(kModulationControls.entries[0]))};
}

}  // namespace vt
