// A spin field of n labelled steps: the label of the current step drawn with
// a character-strip font on a background colour, and the arrows image
// (upper half up, lower half down) at the right end. The current step is
// int(value * n + 0.001), at most n - 1; a step sets value = step / n.
//  - A press on the text drags vertically: value = pressValue - (y - pressY) / n * 0.25,
//    limited to 0..1 (moving up raises it); each change notifies.
//  - A press on an arrow steps once at once and then every 250 ms while held
//    (repeatIfHeld, called from the editor's idle); each step notifies.
#pragma once

#include <cstddef>

#include "gui/control.h"

namespace vt::gui {
class BitmapFont;
}

namespace vt {

// Writes the label of step 'index' of a field.
using FieldLabelFunction = void (*)(int index, char* text, std::size_t size, const void* userData);

class NumberField : public gui::Control {
public:
  static constexpr double kRepeatSeconds = 0.25;
  // The arrows take this much of the right end; the text area is what is left of it.
  static constexpr int kArrowArea = 22;

  NumberField(const gui::Rect& size, gui::ControlListener* listener, int tag, int steps, const gui::GuiBitmap* arrows,
              const gui::BitmapFont* font);

  void setLabels(FieldLabelFunction function, const void* userData);
  void setBackColor(gui::Color c) { backColor = c; }
  int stepCount() const { return steps; }
  int currentStep() const;
  void label(int index, char* text, std::size_t size) const;
  gui::Rect textArea() const;
  gui::Rect arrowRect() const;

  void draw(gui::DrawContext& context) override;
  gui::MouseResult onMouseDown(const gui::MouseEvent& event) override;
  void onMouseMoved(const gui::MouseEvent& event) override;
  void onMouseUp(const gui::MouseEvent& event) override;
  void onMouseCancelled() override;

  // While an arrow is held, steps again once 250 ms have passed since the last step.
  void repeatIfHeld(double nowSeconds);
  // Where the clock of repeatIfHeld comes from (seconds, monotonic).
  static double clockSeconds();

private:
  void step(int direction);

  int steps;
  const gui::GuiBitmap* arrows;
  const gui::BitmapFont* font;
  FieldLabelFunction labels = nullptr;
  const void* labelData = nullptr;
  gui::Color backColor;
  enum class Drag { None, Text, Arrow } drag = Drag::None;
  int arrowDirection = 0;
  double lastStep = 0.0;
  int pressY = 0;
  float pressValue = 0.0f;
};

}  // namespace vt
