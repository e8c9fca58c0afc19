// The main page: tone, LFO, portamento, envelope and output.
#include "editor/layout_builders.h"
#include "editor/page_layout.h"
#include "engine/parameter_ids.h"

namespace vt {

namespace {

using namespace layout;

const LayoutEntry kMainControls[] = {
    knob(Brightness, 48, 170),
    knob(HarmAmount, 109, 170),
    knob(NoiseAmount, 169, 170),
    knob(LfoRate, 334, 170),
    knob(LfoVibrato, 394, 170),
    knob(LfoTremolo, 455, 170),
    knob(PortamentoRate, 623, 170),
    knob(Attack, 18, 299),
    knob(Stretch, 79, 299),
    knob(Release, 139, 299),
    knob(Volume, 335, 299),
    knob(StereoWidth, 395, 299),
    onOff(LfoOn, 259, 130, 155, 21, 17),
    onOff(PortamentoOn, 514, 130, 155, 21, 17),
    withBounds(radio(LfoShape, 289, 172, 3, 0, 22, 158, 13, 13), 302, 240),
    onOff(GlobalLoopOn, 192, 316, 147, 48, 23),
    kick(234, 567, 317, 160, 74, 58),
};

}  // namespace

LayoutTable mainPageLayout() {
  return {kMainControls, static_cast<int>(sizeof(kMainControls) / sizeof(kMainControls[0]))};
}

}  // namespace vt
