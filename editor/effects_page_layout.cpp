// The effects page: formant curve, distortion, filter, chorus, delay, reverb.
#include "editor/layout_builders.h"
#include "editor/page_layout.h"
#include "engine/parameter_ids.h"

namespace vt {

namespace {

using namespace layout;

const LayoutEntry kEffectsControls[] = {
    entry(178, ControlKind::FormantCurveDisplay, 10, 30, 757, 112),
    onOff(FormantFilterOn, 3, 4, 155, 21, 17),
    onOff(DistortionOn, 3, 130, 155, 21, 17),
    onOff(FilterOn, 259, 130, 155, 21, 17),
    onOff(ChorusOn, 514, 130, 155, 21, 17),
    onOff(DelayOn, 3, 259, 155, 21, 17),
    onOff(ReverbOn, 260, 259, 155, 21, 17),
    knob(Distortion, 18, 170),
    knob(Tube, 79, 170),
    knob(MBass, 139, 170),
    knob(Compress, 200, 170),
    knob(FilterCutoff, 334, 170),
    knob(FilterRes, 394, 170),
    knob(FilterEnv, 455, 170),
    knob(ChorusMix, 531, 170),
    knob(ChorusRate, 592, 170),
    knob(ChorusDelay, 652, 170),
    knob(ChorusDepth, 713, 170),
    knob(DelayMix, 18, 299),
    knob(DelayFeedback, 79, 299),
    knob(DelaySyncL, 139, 299),
    knob(DelaySyncR, 200, 299),
    knob(ReverbMix, 304, 299),
    knob(ReverbSize, 364, 299),
    knob(ReverbDecay, 425, 299),
    withBounds(radio(FilterMode, 289, 172, 3, 0, 22, 158, 13, 13), 302, 230),
    kick(235, 567, 317, 160, 74, 58),
};

}  // namespace

LayoutTable effectsPageLayout() {
  return {kEffectsControls, static_cast<int>(sizeof(kEffectsControls) / sizeof(kEffectsControls[0]))};
}

}  // namespace vt
