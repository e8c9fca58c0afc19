// The instrument's editor: an 800 x 550 window. Its constructor also loads the
// first factory instrument into the engine, so a new instance starts with it.
#pragma once

#include "plugin/vst2/aeff_editor.h"

namespace vt {

class SynthEngine;

class PluginEditor : public vst2::AEffEditor {
public:
  static constexpr int kWidth = 800;
  static constexpr int kHeight = 550;

  PluginEditor(vst2::AudioEffect* effect, SynthEngine* engine);
  ~PluginEditor() override;

  bool getRect(vst2::ERect** rect) override;

  // Mirrors a parameter write into the controls (and performs editor commands).
  virtual void setParameter(int index, float value);
  // Re-reads every control and display from the engine (after a chunk load).
  virtual void refreshFromEngine();

protected:
  SynthEngine* engine;
  vst2::ERect rectangle;
};

}  // namespace vt
