// The noise envelope (tag 177): one point per frame of a noise block, at the
// frame's time, its height the mean of the frame's spectrum at 0, 0.01, ...,
// 0.99. Moving a point moves the frame's time (by the envelope mode) and
// rescales its spectrum by the height ratio (limited to 0.01-0.99); deleting
// removes the frame; inserting adds a frame interpolated between its
// neighbours. The selected frame is the one the linked spectrum display shows.
#pragma once

#include "editor/time_curve_display.h"

namespace vt {

class NoiseSet;
class FrequencyCurveDisplay;

class NoiseEnvelopeDisplay : public TimeCurveDisplay {
public:
  static constexpr float kFullLevel = 50.0f;  // the spectrum display's range fills the plot

  NoiseEnvelopeDisplay(const gui::Rect& size, gui::ControlListener* listener, int tag,
                       const gui::GuiBitmap* background);

  void bind(NoiseSet* set);
  const NoiseSet* boundSet() const { return noise; }
  void linkSpectrumDisplay(FrequencyCurveDisplay* display) { companion = display; }

  int pointCount() const override;
  void pointAt(int index, float& u, float& v) const override;

protected:
  bool movePointTo(int index, float u, float v) override;
  int insertPointAt(float u, float v) override;
  bool deletePoint(int index) override;
  void selectionChanged() override;

private:
  float levelAt(int index) const;

  NoiseSet* noise = nullptr;
  FrequencyCurveDisplay* companion = nullptr;
};

}  // namespace vt
