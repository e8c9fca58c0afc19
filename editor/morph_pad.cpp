#include "editor/morph_pad.h"

#include <initializer_list>

#include "editor/display_canvas.h"
#include "editor/editor_palette.h"
#include "engine/parameter_ids.h"
#include "gui/gui_bitmap.h"

namespace vt {

namespace {

constexpr int kParameterX[MorphPad::kPairs] = {MorphHarmX, MorphNoiseX, MorphAmpX};
constexpr int kParameterY[MorphPad::kPairs] = {MorphHarmY, MorphNoiseY, MorphAmpY};
constexpr gui::Color kMarkerColors[MorphPad::kPairs] = {kMarkerHarmonicsColor, kMarkerNoiseColor,
                                                        kMarkerAmplitudeColor};

float limit01(float v) { return v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f; }  // NaN gives 0

}  // namespace

MorphPad::MorphPad(const gui::Rect& size, gui::ControlListener* controlListener, int controlTag,
                   const gui::GuiBitmap* backgroundImage)
    : Control(size, controlListener, controlTag, backgroundImage) {
  for (int p = 0; p < kPairs; ++p) {
    xs[p].store(0.5f);
    ys[p].store(0.5f);
  }
}

int MorphPad::parameterX(int pair) { return pair >= 0 && pair < kPairs ? kParameterX[pair] : -1; }
int MorphPad::parameterY(int pair) { return pair >= 0 && pair < kPairs ? kParameterY[pair] : -1; }

unsigned MorphPad::pairsOfMode(int mode) {
  switch (mode) {
    case 0:
      return (1u << Harmonics) | (1u << Noise) | (1u << Amplitude);
    case 1:
      return 1u << Amplitude;
    case 2:
      return 1u << Harmonics;
    case 3:
      return 1u << Noise;
    default:
      return 0;
  }
}

void MorphPad::setMode(int m) {
  padMode = m < 0 ? 0 : (m > 3 ? 3 : m);
  setDirty();
}

void MorphPad::setLocked(bool on) {
  isLocked = on;
  setDirty();
}

void MorphPad::setPair(int pair, float x, float y) {
  if (pair < 0 || pair >= kPairs) return;
  xs[pair].store(limit01(x), std::memory_order_release);
  ys[pair].store(limit01(y), std::memory_order_release);
  setDirty();
}

float MorphPad::pairX(int pair) const {
  return pair >= 0 && pair < kPairs ? xs[pair].load(std::memory_order_acquire) : 0.0f;
}
float MorphPad::pairY(int pair) const {
  return pair >= 0 && pair < kPairs ? ys[pair].load(std::memory_order_acquire) : 0.0f;
}

gui::Rect MorphPad::innerRect() const { return rect.inset(kInset, kInset); }

void MorphPad::draw(gui::DrawContext& context) {
  const gui::Rect& r = rect;
  DisplayCanvas canvas(context, r);
  gui::DrawContext& dc = canvas.context();
  dc.setClipRect(r);
  canvas.fillBackground(background);
  if (!isLocked) {
    const gui::Rect inner = innerRect();
    auto marker = [&](int p) {
      const int x = inner.left + static_cast<int>(pairX(p) * static_cast<float>(inner.width()));
      const int y = inner.top + static_cast<int>(pairY(p) * static_cast<float>(inner.height()));
      const gui::Rect box = gui::Rect::fromSize(x - kMarkerSize / 2, y - kMarkerSize / 2, kMarkerSize, kMarkerSize);
      dc.setFillColor(kMarkerColors[p]);
      dc.fillRect(box);
      dc.setFrameColor(kMarkerEdgeColor);
      dc.drawRect(box);
    };
    if (padMode == 0) {
      // Everything moves together: one marker.
      marker(Harmonics);
    } else {
      // All three, the pair the mode moves drawn last (on top).
      const unsigned moved = pairsOfMode(padMode);
      for (int p : {Noise, Harmonics, Amplitude})
        if (!(moved & (1u << p))) marker(p);
      for (int p : {Noise, Harmonics, Amplitude})
        if (moved & (1u << p)) marker(p);
    }
  }
}

void MorphPad::write(unsigned pairs, float x, float y) {
  for (int p = 0; p < kPairs; ++p)
    if (pairs & (1u << p)) setPair(p, x, y);
  lastChanged = pairs;
}

void MorphPad::follow(gui::Point where) {
  const gui::Rect inner = innerRect();
  const float w = inner.width() > 0 ? static_cast<float>(inner.width()) : 1.0f;
  const float h = inner.height() > 0 ? static_cast<float>(inner.height()) : 1.0f;
  const float x = limit01(static_cast<float>(where.x - inner.left) / w);
  const float y = limit01(static_cast<float>(where.y - inner.top) / h);
  if (isLocked) return;
  write(pairsOfMode(padMode), x, y);
  notifyListener();
  setDirty();
}

gui::MouseResult MorphPad::onMouseDown(const gui::MouseEvent& event) {
  if (!(event.buttons & gui::kLeftButton) || !rect.contains(event.where)) return gui::MouseResult::Ignored;
  beginEdit();
  if (event.buttons & gui::kControl) {
    // The default position for what the mode moves, as one gesture.
    const float d = getDefaultValue();
    setValue(d);
    if (!isLocked)
      write(pairsOfMode(padMode), d, d);
    else
      lastChanged = 0;
    notifyListener();
    endEdit();
    setDirty();
    return gui::MouseResult::Handled;
  }
  dragging = true;
  follow(event.where);
  return gui::MouseResult::Captured;
}

void MorphPad::onMouseMoved(const gui::MouseEvent& event) {
  if (dragging) follow(event.where);
}

void MorphPad::onMouseUp(const gui::MouseEvent& /*event*/) {
  dragging = false;
  endEdit();
}

}  // namespace vt
