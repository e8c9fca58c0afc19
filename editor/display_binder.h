// Binds the editing displays of an open editor to the editor-side copies
// (DisplayEditBuffers) and sets their view settings from the parameter values:
// per voice the selected multisample (MultisampleA+v) and layer (SoftLoud past
// its first entry), NumHarmonics, EnvelopeMode, the edit-mode field (182+v),
// frequency (186+v) and selected-time (194+v) switches, the loop flags
// (GlobalLoopOn with the voice's loop points); on the morph page the envelope
// group and variant (MorphModeSelector, 180), sync, the pad's mode, lock and
// pairs; on the effects page the formant curve. applyEdit hands a finished
// edit back to the engine.
#pragma once

#include "editor/display_edit_buffers.h"

namespace vt::gui {
class Control;
}

namespace vt {

class ControlRegistry;
class SynthEngine;

class DisplayBinder {
public:
  // Reads a parameter value (the plug-in's getParameter).
  using ParameterReader = float (*)(int index, void* context);

  DisplayBinder(const ControlRegistry& registry, DisplayEditBuffers& buffers, SynthEngine& engine, ParameterReader read,
                void* context);

  // Takes fresh copies from the engine and binds every display (after open,
  // a load, or a change of voice, multisample, layer or mode).
  void rebindAll();
  void rebindVoice(int voice);
  void rebindMorphPage();
  // Only the view settings (no new copies): edit mode, flags, loop markers, pad.
  void updateViews();

  // A display finished an edit: its copy goes to the engine. page is the page
  // on show (a voice display edits the voice of its page).
  bool applyEdit(const gui::Control* display, int page);

  // The selection of a voice as the parameters give it.
  int selectedRow(int voice) const;
  int selectedLayer(int voice) const;  // 1 when SoftLoud is past its first entry
  int softLoudIndex(int voice) const;  // 0-2
  int morphEnvelopeIndex() const;

private:
  float value(int index) const { return read ? read(index, context) : 0.0f; }
  void updateVoiceView(int voice);

  const ControlRegistry& registry;
  DisplayEditBuffers& buffers;
  SynthEngine& engine;
  ParameterReader read;
  void* context;
};

}  // namespace vt
