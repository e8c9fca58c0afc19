// The voice pages (A-D share this table; per-voice tags add the voice number).
#include "editor/layout_builders.h"
#include "editor/page_layout.h"
#include "engine/parameter_ids.h"

namespace vt {

namespace {

using namespace layout;

constexpr int kSoftLoudImages[3] = {170, 171, 172};

const LayoutEntry kVoiceControls[] = {
    perVoice(entry(190, ControlKind::TextEdit, 16, 11, 86, 28)),
    perVoice(kick(209, 13, 40, 148, 39, 21)),
    perVoice(hidden(kick(213, 51, 40, 149, 37, 21))),
    perVoice(kick(205, 13, 67, 156, 76, 23)),
    perVoice(onOff(SoloButtonA, 13, 113, 146, 76, 21)),
    perVoice(radio(SoftLoudButtonA, 5, 141, 3, 32, 0, 170, 25, 22, kSoftLoudImages)),
    perVoice(field(NumMultisamplesA, 40, 174, 95, 186, 8, FieldLabels::OneToEight)),
    perVoice(field(MultisampleA, 40, 198, 95, 210, 8, FieldLabels::OneToEight)),
    perVoice(field(224, 40, 224, 95, 236, 128, FieldLabels::NoteNames)),
    perVoice(field(Unused1, 39, 267, 94, 279, 101, FieldLabels::ZeroToHundred)),
    perVoice(field(VoiceDetuneA, 40, 291, 95, 303, 400, FieldLabels::Detune)),
    perVoice(onOff(194, 13, 326, 157, 76, 21)),
    [] {
      LayoutEntry e = perVoice(button(ControlKind::MultiSwitch, EnvelopeModeA, 3, 353, 165, 93, 22));
      e.entries = 3;
      return e;
    }(),
    entry(174, ControlKind::HarmonicsDisplay, 155, 18, 672, 114),
    entry(175, ControlKind::HarmonicEnvelopeDisplay, 158, 125, 671, 176),
    entry(176, ControlKind::NoiseSpectrumDisplay, 158, 209, 671, 304),
    entry(177, ControlKind::NoiseEnvelopeDisplay, 158, 313, 671, 367),
    kick(228, 681, 29, 148, 39, 21),
    hidden(kick(229, 720, 29, 149, 37, 21)),
    perVoice(onOff(NumHarmonicsA, 681, 54, 166, 78, 22)),
    perVoice(onOff(186, 681, 78, 164, 79, 22)),
    perVoice(onOff(HarmonizeAOn, 682, 102, 178, 78, 22)),
    perVoice(field(182, 684, 129, 759, 141, 8, FieldLabels::EditModes)),
    perVoice(knob(VoiceHarmonicVolumeA, 726, 150, 0)),
    kick(230, 681, 220, 148, 39, 21),
    hidden(kick(231, 720, 220, 149, 37, 21)),
    perVoice(knob(VoiceNoiseVolumeA, 726, 342, 0)),
};

}  // namespace

LayoutTable voicePageLayout() {
  return {kVoiceControls, static_cast<int>(sizeof(kVoiceControls) / sizeof(kVoiceControls[0]))};
}

}  // namespace vt
