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
  // A mean spectrum level of 10 fills the plot (a mean sits well below the
  // spectrum's peaks, which the spectrum display shows up to 50).
  static constexpr float kFullLevel = 10.0f;

  NoiseEnvelopeDisplay(const gui::Rect& size, gui::ControlListener* listener, int tag,
                       const gui::GuiBitmap* background);

  // Binding selects the loudest frame, so the spectrum shows a sounding one.
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
