// The harmonic envelope (tag 175): one point per time of a harmonic block
// (harmonic 1's amplitude times), its height the sum of the 64 amplitudes
// there (a sum of 2 fills the plot). Moving point i moves that time in every
// amplitude and frequency list (by the envelope mode) and scales every
// amplitude at i by the height ratio (heights limited to 0.01-0.99);
// deleting removes index i from all 128 lists; inserting at t adds a point
// interpolated at t to every harmonic that has points (an empty block gets
// amplitude (t, 0) and frequency (t, 1) for harmonic 1). The selected point
// is the selected time of the linked harmonics display.
#pragma once

#include "editor/time_curve_display.h"

namespace vt {

class HarmonicSet;
class HarmonicsDisplay;

class HarmonicEnvelopeDisplay : public TimeCurveDisplay {
public:
  static constexpr float kFullSum = 2.0f;

  HarmonicEnvelopeDisplay(const gui::Rect& size, gui::ControlListener* listener, int tag,
                          const gui::GuiBitmap* background);

  // Binding selects the loudest time, which the harmonics bars then show.
  void bind(HarmonicSet* set);
  const HarmonicSet* boundSet() const { return harmonics; }
  // The harmonics display that shows the selected time (not owned).
  void linkHarmonicsDisplay(HarmonicsDisplay* display) { companion = display; }

  int pointCount() const override;
  void pointAt(int index, float& u, float& v) const override;

protected:
  bool movePointTo(int index, float u, float v) override;
  int insertPointAt(float u, float v) override;
  bool deletePoint(int index) override;
  void selectionChanged() override;

private:
  float levelAt(int index) const;  // summed amplitude / 2

  HarmonicSet* harmonics = nullptr;
  HarmonicsDisplay* companion = nullptr;
};

}  // namespace vt
