// Creates the controls of a layout table inside a container (the frame or a
// page), with their images, and records them in the registry. Knob read-outs
// are added beside their knobs; option menus are created empty (the editor
// fills them).
#pragma once

#include "editor/control_registry.h"
#include "editor/page_layout.h"
#include "gui/param_display.h"

namespace vt::gui {
class ControlListener;
class ViewContainer;
}  // namespace vt::gui

namespace vt {

class DisplayEditListener;
class EditorImages;
class FrequencyCurveDisplay;
class HarmonicEnvelopeDisplay;
class HarmonicsDisplay;
class NoiseEnvelopeDisplay;

class PageBuilder {
public:
  // readout formats a read-out; readoutData(tag) gives its user data.
  PageBuilder(EditorImages& images, gui::ControlListener* listener, ControlRegistry& registry,
              gui::StringConvert readout, void* (*readoutData)(int tag, void* context), void* context);

  // Builds every entry of table into container; page is -1 for the frame; voice
  // 0-3 is added to the per-voice tags. False when a control could not be made
  // or registered (the controls made so far stay in the container).
  bool build(const LayoutTable& table, int page, int voice, gui::ViewContainer& container);

  // Where the editing displays report finished edits (set before build).
  void setEditListener(DisplayEditListener* l) { editListener = l; }

private:
  // The displays of the page being built that are linked to each other.
  struct PageDisplays {
    HarmonicsDisplay* harmonics = nullptr;
    HarmonicEnvelopeDisplay* harmonicEnvelope = nullptr;
    FrequencyCurveDisplay* spectrum = nullptr;
    NoiseEnvelopeDisplay* noiseEnvelope = nullptr;
  };

  bool buildEntries(const LayoutTable& table, int page, int voice, gui::ViewContainer& container);
  gui::Control* create(const LayoutEntry& entry, int tag);
  bool place(gui::Control* control, ControlKind kind, int page, MenuItems items, gui::ViewContainer& container);

  EditorImages& images;
  gui::ControlListener* listener;
  ControlRegistry& registry;
  gui::StringConvert readout;
  void* (*readoutData)(int tag, void* context);
  void* context;
  DisplayEditListener* editListener = nullptr;
  PageDisplays pageDisplays;
};

}  // namespace vt
