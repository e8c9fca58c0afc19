// The editing displays of the editor (harmonics, envelope and spectrum curves,
// morph envelopes, formant curve, morph pad): a control of a given kind that
// draws its background - its image, or the field colour with a faint grid -
// and its frame. What they show and how they edit is built on this base.
#pragma once

#include "editor/control_kind.h"
#include "gui/control.h"

namespace vt {

class EditorDisplay : public gui::Control {
public:
  EditorDisplay(const gui::Rect& size, gui::ControlListener* listener, int tag, ControlKind kind,
                const gui::GuiBitmap* background = nullptr);

  ControlKind kind() const { return displayKind; }

  void draw(gui::DrawContext& context) override;
  gui::MouseResult onMouseDown(const gui::MouseEvent& event) override;

private:
  ControlKind displayKind;
};

}  // namespace vt
