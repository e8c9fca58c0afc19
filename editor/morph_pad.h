// The morph pad (tag 198): an X/Y field over the background image, inset by 4
// pixels, holding three (x, y) pairs - harmonics (MorphHarmX/Y), noise
// (MorphNoiseX/Y) and amplitude (MorphAmpX/Y); y grows downward. A left drag
// moves, unless locked: in mode 0 all three pairs, in mode 1 the amplitude
// pair, mode 2 the harmonics pair, mode 3 the noise pair; each step notifies
// the listener (tag 198), and the drag is one host edit. A Ctrl-click puts the
// pairs the mode moves at the default value (one notified, bracketed edit).
// Unless locked the markers show: one (harmonics) in mode 0, all three in
// modes 1-3. The editor sets the mode (MorphModeSelector), the lock
// (EnvelopeMorphOn) and the pairs (setPair, from the parameters), and on each
// notification writes the parameters of changedPairs().
#pragma once

#include "gui/control.h"

namespace vt {

class MorphPad : public gui::Control {
public:
  enum Pair : int { Harmonics = 0, Noise = 1, Amplitude = 2, kPairs = 3 };
  static constexpr int kInset = 4;
  static constexpr int kMarkerSize = 9;

  MorphPad(const gui::Rect& size, gui::ControlListener* listener, int tag, const gui::GuiBitmap* background);

  void setMode(int mode);  // 0-3
  int mode() const { return padMode; }
  void setLocked(bool locked);
  bool locked() const { return isLocked; }

  // The pairs as the parameters hold them (0..1); any thread, only marks dirty.
  void setPair(int pair, float x, float y);
  float pairX(int pair) const;
  float pairY(int pair) const;
  // Bits (1 << Pair) of the pairs the last notified step wrote.
  unsigned changedPairs() const { return lastChanged; }
  // The parameter indices of a pair's x and y.
  static int parameterX(int pair);
  static int parameterY(int pair);
  // Pairs moved by a drag in mode m, as bits.
  static unsigned pairsOfMode(int mode);

  gui::Rect innerRect() const;

  void draw(gui::DrawContext& context) override;
  gui::MouseResult onMouseDown(const gui::MouseEvent& event) override;
  void onMouseMoved(const gui::MouseEvent& event) override;
  void onMouseUp(const gui::MouseEvent& event) override;

private:
  void follow(gui::Point where);
  void write(unsigned pairs, float x, float y);

  std::atomic<float> xs[kPairs];
  std::atomic<float> ys[kPairs];
  int padMode = 0;
  bool isLocked = false;
  unsigned lastChanged = 0;
  bool dragging = false;
};

}  // namespace vt
