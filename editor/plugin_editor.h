// The instrument's editor: an 800 x 550 window. Its constructor also scans the
// factory instrument library and loads the first instrument into the engine,
// so a new instance starts with it.
#pragma once

#include "engine/random_source.h"
#include "plugin/vst2/aeff_editor.h"

namespace vt {

class SynthEngine;
class InstrumentLibrary;

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

  // Rescans the factory instrument library and/or loads the selected
  // instrument (the first instrument of the first category while no window
  // is open). A file that does not open changes nothing.
  void rescanAndLoad(bool rescan, bool load);
  const InstrumentLibrary* instrumentLibrary() const { return library; }

  // The random voices command: four voices picked by the selected instrument
  // category (the first category while no window is open), then the morph,
  // tone and effect randomisers for that category; the editor refreshes.
  void randomVoices();

  // The generator behind the random commands (random voices, morph, tone, effects).
  RandomSource& randomSource() { return random; }
  void seedRandom(unsigned seed) { random.seed(seed); }

protected:
  // After an instrument load: the host reads the parameters again.
  void tellHostParametersChanged();

  SynthEngine* engine;
  vst2::ERect rectangle;
  InstrumentLibrary* library = nullptr;
  RandomSource random;
  int selectedCategory = 0;  // 0-based category and item of the instrument menus
  int selectedInstrument = 0;
};

}  // namespace vt
