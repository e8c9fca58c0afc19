// One of the six morph envelopes (tag 179), values 0..1 over time. Which one
// is the editor's choice: envelopeIndex() = variant + 2 * group, with the group
// from MorphModeSelector and the variant from button 180. With sync on the
// axis ticks every 1/16 s with "n/8" labels and points snap to 1/16 s;
// otherwise it is labelled every second.
#pragma once

#include "editor/time_curve_display.h"

namespace vt {

class BreakpointCurve;

class MorphEnvelopeDisplay : public TimeCurveDisplay {
public:
  static constexpr float kSyncStep = 1.0f / 16.0f;
  static constexpr float kAxisSeconds = 60.0f;

  MorphEnvelopeDisplay(const gui::Rect& size, gui::ControlListener* listener, int tag,
                       const gui::GuiBitmap* background);

  void bind(BreakpointCurve* curve);
  const BreakpointCurve* boundCurve() const { return envelope; }

  void setSync(bool on);
  bool sync() const { return synced; }
  // group 0-2 and linked flag from MorphModeSelector, variant 0/1 from button 180.
  void setGroup(int group, bool linked);
  void setVariant(int variant);
  int group() const { return envelopeGroup; }
  bool linked() const { return groupLinked; }
  int envelopeIndex() const { return variantIndex + 2 * envelopeGroup; }

  int pointCount() const override;
  void pointAt(int index, float& u, float& v) const override;

protected:
  bool movePointTo(int index, float u, float v) override;
  int insertPointAt(float u, float v) override;
  bool deletePoint(int index) override;
  void drawGrid(gui::DrawContext& context, const gui::Rect& plot) override;
  float timeOf(float u) const override;

private:
  BreakpointCurve* envelope = nullptr;
  bool synced = false;
  int envelopeGroup = 1;
  bool groupLinked = true;
  int variantIndex = 0;
};

}  // namespace vt
