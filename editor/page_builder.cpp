#include "editor/page_builder.h"

#include <new>

#include "editor/editor_images.h"
#include "editor/editor_palette.h"
#include "editor/film_knob.h"
#include "editor/frequency_curve_display.h"
#include "editor/harmonic_envelope_display.h"
#include "editor/harmonics_display.h"
#include "editor/morph_envelope_display.h"
#include "editor/morph_pad.h"
#include "editor/noise_envelope_display.h"
#include "editor/number_field.h"
#include "editor/number_field_labels.h"
#include "editor/radio_group.h"
#include "editor/voice_list.h"
#include "gui/h_slider.h"
#include "gui/kick_button.h"
#include "gui/multi_switch.h"
#include "gui/on_off_button.h"
#include "gui/option_menu.h"
#include "gui/text_edit.h"
#include "gui/view_container.h"

namespace vt {

namespace {

// One value per label set, so that a field's user data can point at its set.
constexpr FieldLabels kLabelSets[] = {FieldLabels::None,          FieldLabels::OneToEight, FieldLabels::NoteNames,
                                      FieldLabels::ZeroToHundred, FieldLabels::Detune,     FieldLabels::EditModes};

void fieldLabel(int index, char* text, std::size_t size, const void* userData) {
  numberFieldLabel(*static_cast<const FieldLabels*>(userData), index, text, size);
}

template <typename Display>
void attachTo(Display& display, DisplayEditListener* listener, const gui::GuiBitmap* digits) {
  display.setEditListener(listener);
  display.setDigitStrip(digits);
}

gui::Rect rectOf(const LayoutEntry& e) { return gui::Rect(e.left, e.top, e.right, e.bottom); }

// Text-bearing controls: the field font colour on the field colour, no frame.
void styleText(gui::ParamDisplay& display, gui::HoriAlign align) {
  display.setStyle(gui::kNoFrame);
  display.setBackColor(kFieldColor);
  display.setFontColor(kFieldTextColor);
  display.setHoriAlign(align);
}

}  // namespace

PageBuilder::PageBuilder(EditorImages& editorImages, gui::ControlListener* controlListener,
                         ControlRegistry& controlRegistry, gui::StringConvert readoutConvert,
                         void* (*readoutUserData)(int tag, void* context), void* readoutContext)
    : images(editorImages),
      listener(controlListener),
      registry(controlRegistry),
      readout(readoutConvert),
      readoutData(readoutUserData),
      context(readoutContext) {}

gui::Control* PageBuilder::create(const LayoutEntry& e, int tag) {
  const gui::Rect r = rectOf(e);
  const gui::GuiBitmap* image = e.image ? images.get(e.image) : nullptr;
  switch (e.kind) {
    case ControlKind::FilmKnob:
      return new (std::nothrow) FilmKnob(r, listener, tag, image);
    case ControlKind::OnOffButton:
      return new (std::nothrow) gui::OnOffButton(r, listener, tag, image);
    case ControlKind::KickButton:
      return new (std::nothrow) gui::KickButton(r, listener, tag, image);
    case ControlKind::MultiSwitch:
      return new (std::nothrow) gui::MultiSwitch(r, listener, tag, e.entries, image);
    case ControlKind::HSlider:
      return new (std::nothrow) gui::HSlider(r, listener, tag, image, images.get(kImageSliderHandle), 2);
    case ControlKind::RadioGroup: {
      auto* group = new (std::nothrow) RadioGroup(r, listener, tag, e.entries, e.stepX, e.stepY);
      if (group)
        for (int i = 0; i < e.entries; ++i)
          group->setEntryImage(i, images.get(e.entryImages ? e.entryImages[i] : e.image));
      return group;
    }
    case ControlKind::NumberField: {
      auto* field = new (std::nothrow) NumberField(r, listener, tag, e.entries, image, images.characterFont());
      if (field) field->setLabels(fieldLabel, &kLabelSets[static_cast<int>(e.labels)]);
      return field;
    }
    case ControlKind::TextEdit: {
      auto* edit = new (std::nothrow) gui::TextEdit(r, listener, tag, "", nullptr, gui::kNoFrame);
      if (edit) styleText(*edit, gui::HoriAlign::Center);
      return edit;
    }
    case ControlKind::OptionMenu:
    case ControlKind::VoiceList: {
      gui::OptionMenu* menu = e.kind == ControlKind::VoiceList
                                  ? new (std::nothrow) VoiceList(r, listener, tag, image)
                                  : new (std::nothrow) gui::OptionMenu(r, listener, tag, image, gui::kNoFrame);
      if (menu) {
        styleText(*menu, gui::HoriAlign::Left);
        if (image) menu->setStyle(gui::kNoFrame | gui::kNoDrawBackground);
      }
      return menu;
    }
    case ControlKind::ParamDisplay:
      return nullptr;  // read-outs come with their knobs
    case ControlKind::HarmonicsDisplay: {
      auto* display = new (std::nothrow) HarmonicsDisplay(r, listener, tag, image);
      if (display) attachTo(*display, editListener, images.get(kImageDigits));
      pageDisplays.harmonics = display;
      return display;
    }
    case ControlKind::HarmonicEnvelopeDisplay: {
      auto* display = new (std::nothrow) HarmonicEnvelopeDisplay(r, listener, tag, image);
      if (display) attachTo(*display, editListener, images.get(kImageDigits));
      pageDisplays.harmonicEnvelope = display;
      return display;
    }
    case ControlKind::NoiseSpectrumDisplay:
    case ControlKind::FormantCurveDisplay: {
      const bool spectrum = e.kind == ControlKind::NoiseSpectrumDisplay;
      auto* display = new (std::nothrow) FrequencyCurveDisplay(
          r, listener, tag,
          spectrum ? FrequencyCurveDisplay::kNoiseSpectrumRange : FrequencyCurveDisplay::kFormantRange, image);
      if (display) attachTo(*display, editListener, images.get(kImageDigits));
      if (spectrum) pageDisplays.spectrum = display;
      return display;
    }
    case ControlKind::NoiseEnvelopeDisplay: {
      auto* display = new (std::nothrow) NoiseEnvelopeDisplay(r, listener, tag, image);
      if (display) attachTo(*display, editListener, images.get(kImageDigits));
      pageDisplays.noiseEnvelope = display;
      return display;
    }
    case ControlKind::MorphEnvelopeDisplay: {
      auto* display = new (std::nothrow) MorphEnvelopeDisplay(r, listener, tag, image);
      if (display) attachTo(*display, editListener, images.get(kImageDigits));
      return display;
    }
    case ControlKind::MorphPad: {
      auto* pad = new (std::nothrow) MorphPad(r, listener, tag, image);
      // Ctrl-click puts the pad in the middle, where the morph parameters start.
      if (pad) pad->setDefaultValue(0.5f);
      return pad;
    }
  }
  return nullptr;
}

bool PageBuilder::place(gui::Control* control, ControlKind kind, int page, MenuItems items,
                        gui::ViewContainer& container) {
  if (!control) return false;
  if (!container.addView(control)) return false;  // the container destroyed it
  return registry.add(control, kind, page, items);
}

bool PageBuilder::build(const LayoutTable& table, int page, int voice, gui::ViewContainer& container) {
  pageDisplays = PageDisplays{};
  if (!buildEntries(table, page, voice, container)) return false;
  // The envelopes' selections drive the bars and the spectrum of the same page.
  if (pageDisplays.harmonicEnvelope) pageDisplays.harmonicEnvelope->linkHarmonicsDisplay(pageDisplays.harmonics);
  if (pageDisplays.noiseEnvelope) pageDisplays.noiseEnvelope->linkSpectrumDisplay(pageDisplays.spectrum);
  return true;
}

bool PageBuilder::buildEntries(const LayoutTable& table, int page, int voice, gui::ViewContainer& container) {
  for (int i = 0; i < table.count; ++i) {
    const LayoutEntry& e = table.entries[i];
    const int tag = e.tag + (e.perVoice ? voice : 0);
    gui::Control* control = create(e, tag);
    if (!control) return false;
    if (!e.shown) control->setVisible(false);
    if (!place(control, e.kind, page, e.items, container)) return false;
    if (e.kind == ControlKind::FilmKnob && e.readout > 0) {
      const gui::Rect r = gui::Rect::fromSize(e.left - kReadoutInset, e.top + e.readout, kReadoutWidth, kReadoutHeight);
      auto* display = new (std::nothrow) gui::ParamDisplay(r, nullptr, gui::kNoFrame);
      if (!display) return false;
      display->setTag(tag);
      display->setBackColor(kReadoutColor);
      display->setFontColor(kReadoutTextColor);
      display->setStringConvert(readout, readoutData ? readoutData(tag, context) : nullptr);
      if (!place(display, ControlKind::ParamDisplay, page, MenuItems::None, container)) return false;
    }
  }
  return true;
}

}  // namespace vt
