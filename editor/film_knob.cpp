#include "editor/film_knob.h"

#include "gui/gui_bitmap.h"

namespace vt {

FilmKnob::FilmKnob(const gui::Rect& size, gui::ControlListener* listener, int tag, const gui::GuiBitmap* filmImage)
    : KnobBase(size, listener, tag),
      film(filmImage),
      frameSize(filmImage ? filmImage->getHeight() / kFramesPerColumn : 0) {
  setTransparency(true);
}

int FilmKnob::frameIndex() const {
  const float v = getNormalizedValue();
  int k = static_cast<int>(v * (kFrames - 1));
  if (k < 0) k = 0;
  if (k > kFrames - 1) k = kFrames - 1;
  return k;
}

gui::Point FilmKnob::frameOrigin(int frame) const {
  return {frameSize * (frame / kFramesPerColumn), frameSize * (frame % kFramesPerColumn)};
}

void FilmKnob::draw(gui::DrawContext& context) {
  if (!film || !film->isLoaded() || frameSize <= 0) {
    KnobBase::draw(context);
    return;
  }
  const gui::Rect& r = getViewSize();
  context.drawBitmap(*film, gui::Rect::fromSize(r.left, r.top, frameSize, frameSize), frameOrigin(frameIndex()));
}

}  // namespace vt
