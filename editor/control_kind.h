// The kinds of control the editor's layout tables place.
#pragma once

namespace vt {

enum class ControlKind : unsigned char {
  FilmKnob,
  ParamDisplay,
  OnOffButton,
  KickButton,
  RadioGroup,
  NumberField,
  MultiSwitch,
  TextEdit,
  OptionMenu,
  HSlider,
  HarmonicsDisplay,
  HarmonicEnvelopeDisplay,
  NoiseSpectrumDisplay,
  NoiseEnvelopeDisplay,
  MorphEnvelopeDisplay,
  FormantCurveDisplay,
  MorphPad,
  VoiceList,
};

// The kind's name as the layout tables spell it ("FilmKnob"), for messages.
const char* controlKindName(ControlKind kind);

}  // namespace vt
