#include "editor/plugin_editor.h"

#include <new>

#include "engine/synth_engine.h"
#include "files/engine_loader.h"
#include "files/instrument_library.h"
#include "files/library_paths.h"
#include "files/random_voices.h"
#include "platform/folder_enumeration.h"
#include "plugin/plugin_effect.h"
#include "plugin/vst2/audio_effect.h"

namespace vt {

PluginEditor::PluginEditor(vst2::AudioEffect* effect, SynthEngine* synthEngine)
    : vst2::AEffEditor(effect), engine(synthEngine) {
  rectangle.top = 0;
  rectangle.left = 0;
  rectangle.bottom = kHeight;
  rectangle.right = kWidth;
  library = new (std::nothrow) InstrumentLibrary();
  // A new instance starts with the first instrument of the first factory category.
  rescanAndLoad(true, true);
}

PluginEditor::~PluginEditor() {
  if (effect && effect->getEditor() == this) effect->setEditor(nullptr);
  delete library;
}

bool PluginEditor::getRect(vst2::ERect** rect) {
  if (!rect) return false;
  *rect = &rectangle;
  return true;
}

void PluginEditor::setParameter(int /*index*/, float /*value*/) {}

void PluginEditor::refreshFromEngine() {}

void PluginEditor::rescanAndLoad(bool rescan, bool load) {
  if (!library || !library->isValid() || !engine) return;
  const SystemFolderLister lister;
  if (rescan) {
    char root[kLibraryPathSize];
    if (!factoryInstrumentRoot(engine->getDataFolder(), lister.separator(), root, sizeof(root))) root[0] = 0;
    library->rescan(lister, root);
  }
  // Without a window there are no menus to choose from: the first instrument of the first category.
  const int category = isOpen() ? selectedCategory : 0;
  const int item = isOpen() ? selectedInstrument : 0;
  if (!load) return;
  char path[kLibraryPathSize];
  if (!library->instrumentPath(category, item, path, sizeof(path))) return;
  loadInstrumentFile(*engine, path);  // a record that fails half-way stays as far as it was read
  if (isOpen()) refreshFromEngine();
  tellHostParametersChanged();
}

void PluginEditor::tellHostParametersChanged() {
  if (auto* plugin = dynamic_cast<PluginEffect*>(effect)) plugin->hostParametersChanged();
}

void PluginEditor::randomVoices() {
  if (!engine) return;
  const int category = isOpen() ? selectedCategory : 0;
  const char* categoryName = library ? library->categoryName(category) : "";
  vt::randomVoices(*engine, SystemFolderLister(), categoryName, random);
  refreshFromEngine();
  tellHostParametersChanged();
}

}  // namespace vt
