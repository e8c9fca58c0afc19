#include "editor/control_kind.h"

namespace vt {

const char* controlKindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::FilmKnob:
      return "FilmKnob";
    case ControlKind::ParamDisplay:
      return "ParamDisplay";
    case ControlKind::OnOffButton:
      return "OnOffButton";
    case ControlKind::KickButton:
      return "KickButton";
    case ControlKind::RadioGroup:
      return "RadioGroup";
    case ControlKind::NumberField:
      return "NumberField";
    case ControlKind::MultiSwitch:
      return "MultiSwitch";
    case ControlKind::TextEdit:
      return "TextEdit";
    case ControlKind::OptionMenu:
      return "OptionMenu";
    case ControlKind::HSlider:
      return "HSlider";
    case ControlKind::HarmonicsDisplay:
      return "HarmonicsDisplay";
    case ControlKind::HarmonicEnvelopeDisplay:
      return "HarmonicEnvelopeDisplay";
    case ControlKind::NoiseSpectrumDisplay:
      return "NoiseSpectrumDisplay";
    case ControlKind::NoiseEnvelopeDisplay:
      return "NoiseEnvelopeDisplay";
    case ControlKind::MorphEnvelopeDisplay:
      return "MorphEnvelopeDisplay";
    case ControlKind::FormantCurveDisplay:
      return "FormantCurveDisplay";
    case ControlKind::MorphPad:
      return "MorphPad";
    case ControlKind::VoiceList:
      return "VoiceList";
  }
  return "?";
}

}  // namespace vt
