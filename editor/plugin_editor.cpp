#include "editor/plugin_editor.h"

#include <cstdio>
#include <new>
#include <thread>

#include "editor/audio_importer.h"
#include "editor/command_audio_importer.h"
#include "editor/display_binder.h"
#include "editor/display_edit_buffers.h"
#include "editor/editor_owner.h"
#include "editor/embedded_bitmap_provider.h"
#include "editor/modulation_source_names.h"
#include "editor/morph_pad.h"
#include "editor/number_field.h"
#include "editor/page_builder.h"
#include "editor/page_layout.h"
#include "editor/voice_list.h"
#include "engine/modulation_targets.h"
#include "engine/synth_engine.h"
#include "files/engine_loader.h"
#include "files/instrument_library.h"
#include "files/library_paths.h"
#include "files/random_voices.h"
#include "files/voice_library.h"
#include "gui/frame.h"
#include "gui/gui_bitmap.h"
#include "gui/option_menu.h"
#include "gui/text_edit.h"
#include "gui/view_container.h"
#include "platform/folder_enumeration.h"
#include "vst2/audio_effect.h"

namespace vt {

namespace {

constexpr int kMorphPadTag = 198;
constexpr int kCategoryMenuTag = 238;
constexpr int kInstrumentMenuTag = 237;
constexpr int kVoiceNameTag = 190;
constexpr int kVoiceListTag = 240;
constexpr int kTextSize = 256;

int pageOfTabValue(float value) {
  const float scaled = value * static_cast<float>(kPageCount - 1) + 0.5f;
  if (!(scaled >= 0.0f)) return 0;  // also NaN
  const int page = static_cast<int>(scaled);
  return page > kPageCount - 1 ? kPageCount - 1 : page;
}

float tabValueOfPage(int page) { return static_cast<float>(page) / static_cast<float>(kPageCount - 1); }

}  // namespace

PluginEditor::PluginEditor(vst2::AudioEffect* effect, SynthEngine* synthEngine, EditorOwner* editorOwner)
    : GuiEditor(effect), engine(synthEngine), owner(editorOwner) {
  for (int i = 0; i < kNumParameters; ++i) readouts[i] = ReadoutBinding{this, i};
  EmbeddedBitmapProvider::install();
  // The frame background sets the editor's size, read from its header: an
  // instance whose editor never opens decodes no image. The voice library and
  // the display copies are made when the window first opens.
  int width = kWidth, height = kHeight;
  if (gui::BitmapProvider* provider = gui::bitmapProvider())
    if (!provider->bitmapSize(kImageBackground, width, height)) width = kWidth, height = kHeight;
  setEditorRect(width, height);
  library = new (std::nothrow) InstrumentLibrary();
  if (engine) ownImporter = new (std::nothrow) CommandAudioImporter(*engine);
  // A new instance starts with the first instrument of the first factory category.
  rescanAndLoad(true, true);
}

PluginEditor::~PluginEditor() {
  if (isOpen()) close();
  delete ownImporter;  // waits for a running import
  ownImporter = nullptr;
  if (effect && effect->getEditor() == this) effect->setEditor(nullptr);
  delete library;
  delete voices;
  delete buffers;
  delete systemChooser;
}

gui::ViewContainer* PluginEditor::pageView(int page) const {
  return page >= 0 && page < kPageCount ? pages[page] : nullptr;
}

float PluginEditor::parameterValue(int index) {
  if (owner) return owner->readParameter(index);
  return engine ? engine->getParameter(index) : 0.0f;
}

bool PluginEditor::buildFrame(gui::Frame& newFrame) {
  windowOpen.store(false, std::memory_order_release);
  uiThread = std::this_thread::get_id();
  newFrame.setDropHandler(this);
  registry.clear();
  if (!buffers) buffers = new (std::nothrow) DisplayEditBuffers();
  if (!voices) {
    voices = new (std::nothrow) VoiceLibrary();
    rescanVoices();
  }
  // Every image is decoded once and kept across opens; a missing one only
  // leaves its controls blank.
  images.loadRange(kFirstImageId, kLastImageId);
  newFrame.setBackground(images.get(kImageBackground));

  PageBuilder builder(images, this, registry, formatReadout, readoutData, this);
  builder.setEditListener(this);
  if (!builder.build(frameLayout(), ControlRegistry::kFramePage, 0, newFrame)) return false;
  for (int page = 0; page < kPageCount; ++page) {
    pages[page] = new (std::nothrow) gui::ViewContainer(gui::Rect(kPageLeft, kPageTop, kPageRight, kPageBottom));
    if (!pages[page]) return false;
    pages[page]->setBackground(images.get(pageBackground(page)));
    const int voice = page < kModulationPage ? page : 0;
    if (!builder.build(pageLayout(page), page, voice, *pages[page])) return false;
  }

  fillMenus();
  loadControlValues();
  shownPage = -1;
  requestedPage.store(-1, std::memory_order_relaxed);
  showPage(kFirstPage);
  if (shownPage != kFirstPage) return false;
  windowOpen.store(true, std::memory_order_release);
  refreshAll();
  return true;
}

void PluginEditor::frameClosing(gui::Frame& closingFrame) {
  windowOpen.store(false, std::memory_order_seq_cst);
  // A write mirrored on another thread may still be setting control values.
  while (mirroring.load(std::memory_order_seq_cst) != 0) std::this_thread::yield();
  endFileChoice();
  closingFrame.setDropHandler(nullptr);
  if (shownPage >= 0 && pages[shownPage] && closingFrame.containsView(pages[shownPage]))
    closingFrame.removeView(pages[shownPage], true);
  destroyPages();
  registry.clear();
  shownPage = kFirstPage;
}

void PluginEditor::destroyPages() {
  for (gui::ViewContainer*& page : pages) {
    delete page;
    page = nullptr;
  }
}

void PluginEditor::showPage(int page) {
  if (!frame || page < 0 || page >= kPageCount || !pages[page]) return;
  if (page != shownPage) {
    if (shownPage >= 0 && pages[shownPage] && frame->containsView(pages[shownPage]))
      frame->removeView(pages[shownPage], true);
    if (!frame->addView(pages[page])) {
      pages[page] = nullptr;  // the frame could not hold it and destroyed it
      return;
    }
    shownPage = page;
  }
  for (int i = registry.firstWithTag(kPageTabs); i >= 0; i = registry.at(i).next)
    registry.at(i).control->setValue(tabValueOfPage(page));
  pages[page]->setDirty();
}

void PluginEditor::fillInstrumentMenu() {
  for (int i = registry.firstWithTag(kInstrumentMenuTag); i >= 0; i = registry.at(i).next) {
    auto* menu = static_cast<gui::OptionMenu*>(registry.at(i).control);
    menu->removeAllEntries();
    const int count = library ? library->instrumentCount(selectedCategory) : 0;
    for (int item = 0; item < count; ++item) menu->addEntry(library->instrumentName(selectedCategory, item));
    menu->setCurrent(selectedInstrument);
  }
}

void PluginEditor::fillMenus() {
  char text[kTextSize];
  for (int i = 0; i < registry.count(); ++i) {
    const PlacedControl& placed = registry.at(i);
    if (placed.items == MenuItems::None) continue;
    auto* menu = static_cast<gui::OptionMenu*>(placed.control);
    switch (placed.items) {
      case MenuItems::ModulationSources:
        for (int n = 0; n < kModulationSources; ++n) {
          modulationSourceName(n, text, sizeof(text));
          menu->addEntry(text);
        }
        break;
      case MenuItems::ModulationTargets:
        for (int t = 0; t < kModulationTargets; ++t) {
          const int index = modulationTargetParameter(t);
          if (index < 0)
            std::snprintf(text, sizeof(text), "None");
          else if (owner)
            owner->parameterName(index, text, sizeof(text));
          else
            std::snprintf(text, sizeof(text), "%d", index);
          menu->addEntry(text);
        }
        break;
      case MenuItems::InstrumentCategories: {
        const int count = library ? library->categoryCount() : 0;
        for (int c = 0; c < count; ++c) menu->addEntry(library->categoryName(c));
        menu->setCurrent(selectedCategory);
        break;
      }
      case MenuItems::Instruments:
      case MenuItems::None:
        break;
    }
  }
  fillInstrumentMenu();
}

void PluginEditor::loadControlValues() {
  for (int i = 0; i < registry.count(); ++i) {
    gui::Control* control = registry.at(i).control;
    const int tag = control->getTag();
    // The tabs keep the page on show; the instrument menus show the library selection.
    if (tag == kPageTabs || tag == kMorphPadTag || tag == kCategoryMenuTag || tag == kInstrumentMenuTag) continue;
    const ControlKind kind = registry.at(i).kind;
    if (kind == ControlKind::TextEdit || kind == ControlKind::VoiceList) continue;
    control->setValue(parameterValue(tag));
  }
  if (!engine) return;
  for (int v = 0; v < kNumSlots; ++v) {
    const char* name = engine->slot(v).name;
    for (int i = registry.firstWithTag(kVoiceNameTag + v); i >= 0; i = registry.at(i).next)
      if (registry.at(i).kind == ControlKind::TextEdit)
        static_cast<gui::TextEdit*>(registry.at(i).control)->setText(name);
    for (int i = registry.firstWithTag(kVoiceListTag + v); i >= 0; i = registry.at(i).next)
      if (registry.at(i).kind == ControlKind::VoiceList)
        static_cast<VoiceList*>(registry.at(i).control)->fill(name, voices);
  }
  rebindDisplays();
}

float PluginEditor::readParameter(int index, void* context) {
  return static_cast<PluginEditor*>(context)->parameterValue(index);
}

void PluginEditor::rebindDisplays() {
  if (!engine || !buffers || !buffers->valid()) return;
  DisplayBinder(registry, *buffers, *engine, readParameter, this).rebindAll();
}

void PluginEditor::editFinished(gui::Control* display) {
  if (!engine || !buffers || !buffers->valid()) return;
  DisplayBinder(registry, *buffers, *engine, readParameter, this).applyEdit(display, shownPage);
}

void PluginEditor::setParameter(int index, float value) {
  if (!windowOpen.load(std::memory_order_acquire) || index < 0 || index >= kNumParameters) return;
  // A refresh shows the engine again; it does not touch the learn target.
  if (engine && !refreshing.load(std::memory_order_relaxed)) engine->setLearnTarget(index);
  if (index == kPageTabs) {
    requestedPage.store(pageOfTabValue(value), std::memory_order_release);
    return;
  }
  // Announce the walk, then check again: a close that began meanwhile is waiting for it.
  mirroring.fetch_add(1, std::memory_order_seq_cst);
  if (windowOpen.load(std::memory_order_seq_cst))
    for (int i = registry.firstWithTag(index); i >= 0; i = registry.at(i).next) registry.at(i).control->setValue(value);
  mirroring.fetch_sub(1, std::memory_order_seq_cst);
  if (onUiThread() && refreshing.load(std::memory_order_relaxed)) {
    perform(index, value);  // a refresh shows what is there: it loads nothing again
    return;
  }
  markPending(index, value);
  if (onUiThread()) dispatchPending();
}

void PluginEditor::idle() {
  if (frame) {
    const int page = requestedPage.exchange(-1, std::memory_order_acq_rel);
    if (page >= 0) {
      showPage(page);
      rebindDisplays();
    }
    dispatchPending();
    pollFileChoice();
    if (AudioImporter* importer = activeImporter())
      if (importer->takeFinished()) refreshAll();
    const double now = NumberField::clockSeconds();
    for (int i = 0; i < registry.count(); ++i) {
      const PlacedControl& placed = registry.at(i);
      if (placed.kind == ControlKind::NumberField && placed.page == shownPage)
        static_cast<NumberField*>(placed.control)->repeatIfHeld(now);
    }
  }
  GuiEditor::idle();
}

void PluginEditor::valueChanged(gui::DrawContext* /*context*/, gui::Control* control) {
  if (!control) return;
  const int tag = control->getTag();
  const float value = control->getValue();
  if (tag == kMorphPadTag) {
    // The pad moves parameter pairs: each one it wrote is a parameter write of its own.
    auto* pad = static_cast<MorphPad*>(control);
    for (int p = 0; p < MorphPad::kPairs; ++p) {
      if (!(pad->changedPairs() & (1u << p))) continue;
      const int indices[2] = {MorphPad::parameterX(p), MorphPad::parameterY(p)};
      const float values[2] = {pad->pairX(p), pad->pairY(p)};
      for (int k = 0; k < 2; ++k) writeParameter(indices[k], values[k]);
    }
    return;
  }
  writeParameter(tag, value);
}

void PluginEditor::writeParameter(int index, float value) {
  if (owner) {
    owner->automateParameter(index, value);
  } else {
    if (engine) engine->setParameter(index, value);
    setParameter(index, value);
  }
}

void PluginEditor::beginEdit(int tag) {
  if (owner) owner->beginParameterEdit(tag);
}

void PluginEditor::endEdit(int tag) {
  if (owner) owner->endParameterEdit(tag);
}

void PluginEditor::formatReadout(float value, char* text, void* userData) {
  const auto* binding = static_cast<const ReadoutBinding*>(userData);
  if (!text) return;
  text[0] = 0;
  if (!binding) return;
  if (binding->editor->owner)
    binding->editor->owner->formatReadout(binding->index, value, text, kTextSize);
  else
    std::snprintf(text, kTextSize, "%d", static_cast<int>(value * 100.0f));
}

void* PluginEditor::readoutData(int tag, void* context) {
  auto* editor = static_cast<PluginEditor*>(context);
  if (!editor || tag < 0 || tag >= kNumParameters) return nullptr;
  return &editor->readouts[tag];
}

void PluginEditor::rescanAndLoad(bool rescan, bool load) {
  if (!library || !library->isValid() || !engine) return;
  const SystemFolderLister lister;
  if (rescan) {
    char root[kLibraryPathSize];
    if (!factoryInstrumentRoot(engine->getDataFolder(), lister.separator(), root, sizeof(root))) root[0] = 0;
    library->rescan(lister, root);
    rescanVoices();
  }
  // Without a window there are no menus to choose from: the first instrument of the first category.
  const int category = isOpen() ? selectedCategory : 0;
  const int item = isOpen() ? selectedInstrument : 0;
  if (!load) return;
  char path[kLibraryPathSize];
  if (!library->instrumentPath(category, item, path, sizeof(path))) return;
  loadInstrumentFile(*engine, path);  // a record that fails half-way stays as far as it was read
  if (isOpen()) refreshAll();
  tellHostParametersChanged();
}

void PluginEditor::rescanVoices() {
  if (!voices || !voices->isValid() || !engine) return;
  const SystemFolderLister lister;
  char root[kLibraryPathSize];
  if (!voiceRoot(engine->getDataFolder(), lister.separator(), root, sizeof(root))) root[0] = 0;
  voices->rescan(lister, root);
}

void PluginEditor::tellHostParametersChanged() {
  if (owner) owner->instrumentLoaded();
}

void PluginEditor::randomVoices() {
  if (!engine) return;
  const int category = isOpen() ? selectedCategory : 0;
  const char* categoryName = library ? library->categoryName(category) : "";
  vt::randomVoices(*engine, SystemFolderLister(), categoryName, random);
  refreshAll();
  tellHostParametersChanged();
}

}  // namespace vt
