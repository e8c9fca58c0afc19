// How the editor drives its editing displays (harmonics bars, harmonic and
// noise envelopes, noise spectrum, formant curve, morph envelope, morph pad).
//
// A display never edits engine data. The editor owns a copy of what a display
// shows (a HarmonicSet, a NoiseSet, a BreakpointCurve) and binds the display to
// it with bind(...); the view settings (harmonic count, edit mode, frequency
// and whole-envelope flags, envelope mode, loop markers, morph-envelope group
// and variant) come through the display's setters. A drag changes only the
// bound copy. When the mouse is released after a change, the display:
//   1. advances its change counter (its value, +0.1, wrapping past 1) and calls
//      the ControlListener's valueChanged with its tag,
//   2. closes the host edit (endEdit for its tag),
//   3. calls DisplayEditListener::editFinished, where the editor hands the
//      copy to the engine through a staged load (applyEdit).
// A press that changes nothing (a right click on empty plot space) reports
// nothing. Bindings are plain pointers: rebinding (after a change of voice,
// multisample, layer or mode, or before the copy goes away) is the editor's
// job; bind(nullptr) leaves a display empty and inert.
//
// The morph pad edits parameters, not data: every drag step updates its three
// (x, y) pairs and calls valueChanged with tag 198; the editor reads the pairs
// that changed (MorphPad::changedPairs) and writes those parameters.
//
// Which display is which (tags on the voice pages 174-177, effects 178, morph 179 and 198):
//   174 HarmonicsDisplay          bind(HarmonicSet*)        harmonics_display.h
//   175 HarmonicEnvelopeDisplay   bind(HarmonicSet*)        harmonic_envelope_display.h
//   176 NoiseSpectrumDisplay      bind(NoiseSet*, frame)    frequency_curve_display.h
//   177 NoiseEnvelopeDisplay      bind(NoiseSet*)           noise_envelope_display.h
//   178 FormantCurveDisplay       bind(BreakpointCurve*)    frequency_curve_display.h
//   179 MorphEnvelopeDisplay      bind(BreakpointCurve*)    morph_envelope_display.h
//   198 MorphPad                  setPair / pairX / pairY   morph_pad.h
//   240-243 VoiceList             fill(name, VoiceLibrary)  voice_list.h
// On a voice page the harmonic envelope drives the harmonics display's
// selected time and the noise envelope the spectrum's frame (linked by the
// page builder); the selection reaches the companion at once, no edit is
// reported for a selection alone.
#pragma once

namespace vt::gui {
class Control;
}

namespace vt {

// Implemented by the editor: a display finished an edit of its bound copy.
class DisplayEditListener {
public:
  virtual ~DisplayEditListener() = default;
  // The mouse was released after the display changed its bound copy. The
  // editor hands the copy to the engine (applyEdit). display->getTag() tells which.
  virtual void editFinished(gui::Control* display) = 0;
};

// The harmonics display's settings (tags NumHarmonicsA+v, 182+v, 186+v, 194+v).
struct HarmonicsView {
  int harmonicCount = 64;     // 64, or 32 while NumHarmonics is off
  int editMode = 0;           // 0-7: One, Odd, Even, Fifths, Octaves, Bright, Dark, All
  bool frequency = false;     // edit frequency deviations instead of amplitudes
  bool wholeEnvelope = true;  // change the whole list instead of the selected time only
};

// Loop flags drawn on a time-axis display; times in seconds.
struct LoopMarkers {
  bool shown = false;
  float start = 0.0f;
  float end = 0.0f;
};

}  // namespace vt
