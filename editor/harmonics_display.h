// The harmonics bars (tag 174): n columns (64, or 32) of the bound harmonic
// block, each bar the harmonic's amplitude at the selected time (or its peak
// with the whole-envelope flag), or in frequency mode its deviation from the
// harmonic number, up or down from the middle. A left drag edits by the edit
// mode (HarmonicsView::editMode):
//   One      the harmonic under the cursor, set to the cursor height
//   Odd/Even the odd / even harmonics
//   Fifths   multiples of 5
//   Octaves  1, 2, 4, 8, 16, 32, 64
//   Bright   all, weighted j/64;  Dark  all, weighted 1 - j/64;  All  all
// the grouped modes adding weight * (upward movement / plot height) at each
// step. Amplitudes stay in 0..1 (harmonic 1 never below 0.00003); frequency
// deviations in -1..1. With the whole-envelope flag the whole list is scaled
// to the new peak (or shifted to the new mean), else only the selected time
// changes. See display_binding.h for how the edit is reported.
#pragma once

#include "editor/display_binding.h"
#include "gui/control.h"

namespace vt {

class HarmonicSet;

class HarmonicsDisplay : public gui::Control {
public:
  static constexpr int kInsetSide = 3;
  static constexpr int kInsetBottom = 10;
  static constexpr float kLowestFundamental = 0.00003f;

  HarmonicsDisplay(const gui::Rect& size, gui::ControlListener* listener, int tag, const gui::GuiBitmap* background);

  void setEditListener(DisplayEditListener* l) { editListener = l; }
  // The digit strip for axis and harmonic numbers (not owned; the font when none).
  void setDigitStrip(const gui::GuiBitmap* strip) { digitStrip = strip; }
  void bind(HarmonicSet* set);
  const HarmonicSet* boundSet() const { return harmonics; }
  void setView(const HarmonicsView& view);
  const HarmonicsView& view() const { return settings; }
  // The time index edited without the whole-envelope flag (the harmonic envelope's selection).
  void setSelectedTime(int index);
  int selectedTime() const { return timeIndex; }

  gui::Rect plotRect() const;
  int columnWidth() const;
  // Harmonic (1-based) under frame x, limited to 1..n.
  int harmonicAt(int x) const;
  // What a bar shows: amplitude (0..1) or frequency deviation (-1..1).
  float barValue(int harmonic) const;

  void draw(gui::DrawContext& context) override;
  gui::MouseResult onMouseDown(const gui::MouseEvent& event) override;
  void onMouseMoved(const gui::MouseEvent& event) override;
  void onMouseUp(const gui::MouseEvent& event) override;
  void onMouseCancelled() override;

  // Weight of harmonic j (1-based) in mode 'mode' when harmonic i is under the cursor; 0 = untouched.
  static float modeWeight(int mode, int j, int i);

private:
  void editStep(int y);
  void fillEmpty(int harmonic);
  void setAmplitude(int harmonic, float value);
  void setFrequency(int harmonic, float value);

  DisplayEditListener* editListener = nullptr;
  const gui::GuiBitmap* digitStrip = nullptr;
  HarmonicSet* harmonics = nullptr;
  HarmonicsView settings;
  int timeIndex = 0;
  bool dragging = false;
  bool changed = false;
  int pressedHarmonic = 1;
  int lastY = 0;
};

}  // namespace vt
