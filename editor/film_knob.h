// A knob drawn from a film strip: 100 frames of s x s pixels (s = film height
// / 16), sixteen to a column, columns left to right. Frame k = int(value * 99).
// Mouse handling is the framework knob's.
#pragma once

#include "gui/knob_base.h"

namespace vt {

class FilmKnob : public gui::KnobBase {
public:
  static constexpr int kFrames = 100;
  static constexpr int kFramesPerColumn = 16;

  FilmKnob(const gui::Rect& size, gui::ControlListener* listener, int tag, const gui::GuiBitmap* film);

  void draw(gui::DrawContext& context) override;

  // The film frame for the current value, and its top-left corner in the film.
  int frameIndex() const;
  gui::Point frameOrigin(int frame) const;

private:
  const gui::GuiBitmap* film;
  int frameSize;
};

}  // namespace vt
