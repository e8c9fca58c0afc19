// The morph page: morph envelopes, the X/Y pad with the four voice lists at
// its corners, the pad mode and the random morph command.
#include "editor/layout_builders.h"
#include "editor/page_layout.h"
#include "engine/parameter_ids.h"

namespace vt {

namespace {

using namespace layout;

// The voice lists fit between the page edge and the pad (and beside it).
constexpr int kVoiceListWidth = 136;
constexpr int kVoiceListHeight = 19;

constexpr LayoutEntry voiceList(int voice, int x, int y) {
  return entry(240 + voice, ControlKind::VoiceList, x, y, x + kVoiceListWidth, y + kVoiceListHeight);
}

const LayoutEntry kMorphControls[] = {
    onOff(180, 121, 2, 167, 130, 20),
    onOff(EnvelopeMorphOn, 3, 3, 155, 21, 17),
    onOff(GlobalSyncOn, 669, 2, 174, 71, 20),
    entry(179, ControlKind::MorphEnvelopeDisplay, 9, 29, 757, 110),
    entry(198, ControlKind::MorphPad, 148, 158, 148 + 211, 158 + 211, 138),
    radio(MorphModeSelector, 603, 162, 4, 0, 22, 158, 13, 13),
    voiceList(0, 9, 157),
    voiceList(1, 379, 157),
    voiceList(2, 9, 351),
    voiceList(3, 379, 351),
    kick(233, 567, 317, 160, 74, 58),
};

}  // namespace

LayoutTable morphPageLayout() {
  return {kMorphControls, static_cast<int>(sizeof(kMorphControls) / sizeof(kMorphControls[0]))};
}

}  // namespace vt
