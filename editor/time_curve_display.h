// The base of the displays over a time axis in seconds (harmonic envelope,
// noise envelope, morph envelope): the scroll strip, a time t drawn at
// left + (t - offset) / span * width, a grid of seconds, the loop flags and
// the envelope mode that decides how a moved time point takes its neighbours
// along (0 between its neighbours only, 1 shifting the later points, 2
// stretching the whole list).
#pragma once

#include "editor/curve_editor.h"

namespace vt {

class TimeCurveDisplay : public CurveEditor {
public:
  TimeCurveDisplay(const gui::Rect& size, gui::ControlListener* listener, int tag, const gui::GuiBitmap* background);

  void setLoopMarkers(const LoopMarkers& markers);
  const LoopMarkers& loopMarkers() const { return loop; }
  // 0, 1 or 2 (EnvelopeModeA-D: int(value * 2.95)).
  void setEnvelopeMode(int mode);
  int envelopeMode() const { return moveMode; }

protected:
  void drawGrid(gui::DrawContext& context, const gui::Rect& plot) override;
  void drawOverlay(gui::DrawContext& context, const gui::Rect& plot) override;
  // Seconds of plot position u, not below 0 and snapped when the subclass snaps.
  virtual float timeOf(float u) const;

  LoopMarkers loop;
  int moveMode = 0;
};

}  // namespace vt
