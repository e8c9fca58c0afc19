#include "editor/plugin_editor.h"

#include "plugin/vst2/audio_effect.h"

namespace vt {

PluginEditor::PluginEditor(vst2::AudioEffect* effect, SynthEngine* synthEngine)
    : vst2::AEffEditor(effect), engine(synthEngine) {
  rectangle.top = 0;
  rectangle.left = 0;
  rectangle.bottom = kHeight;
  rectangle.right = kWidth;
}

PluginEditor::~PluginEditor() {
  if (effect && effect->getEditor() == this) effect->setEditor(nullptr);
}

bool PluginEditor::getRect(vst2::ERect** rect) {
  if (!rect) return false;
  *rect = &rectangle;
  return true;
}

void PluginEditor::setParameter(int /*index*/, float /*value*/) {}

void PluginEditor::refreshFromEngine() {}

}  // namespace vt
