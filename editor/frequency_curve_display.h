// The curves over the frequency axis (frequency_axis.h): the noise spectrum
// of one frame of a noise block (tag 176, heights 0..50, no scroll strip) and
// the formant filter curve (tag 178, heights 0..2). The axis is labelled 20,
// the middle frequency and 22000.
#pragma once

#include "editor/curve_editor.h"

namespace vt {

class BreakpointCurve;
class NoiseSet;

class FrequencyCurveDisplay : public CurveEditor {
public:
  static constexpr float kNoiseSpectrumRange = 50.0f;
  static constexpr float kFormantRange = 2.0f;

  // range: the height at the top of the plot.
  FrequencyCurveDisplay(const gui::Rect& size, gui::ControlListener* listener, int tag, float range,
                        const gui::GuiBitmap* background);

  // The formant curve copy (or any curve over normalised frequency); nullptr for none.
  void bind(BreakpointCurve* curve);
  // The spectrum of frame 'frame' of a noise block copy (nothing when out of range).
  void bind(NoiseSet* set, int frame);
  // The frame shown of the bound noise block (the noise envelope's selection).
  void showFrame(int frame);
  int shownFrame() const { return frameIndex; }
  const BreakpointCurve* boundCurve() const { return curve; }
  float range() const { return verticalRange; }

  int pointCount() const override;
  void pointAt(int index, float& u, float& v) const override;

protected:
  bool movePointTo(int index, float u, float v) override;
  int insertPointAt(float u, float v) override;
  bool deletePoint(int index) override;
  void drawGrid(gui::DrawContext& context, const gui::Rect& plot) override;

private:
  BreakpointCurve* curve = nullptr;
  NoiseSet* noise = nullptr;
  int frameIndex = 0;
  float verticalRange;
};

}  // namespace vt
