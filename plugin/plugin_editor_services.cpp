// The services the plug-in gives its editor: automated parameter writes, edit
// gestures, the engine, the data folder and the parameter texts.
#include "engine/synth_engine.h"
#include "plugin/parameter_readout.h"
#include "plugin/parameter_table.h"
#include "plugin/plugin_effect.h"

namespace vt {

void PluginEffect::automateParameter(int index, float value) { setParameterAutomated(index, value); }

float PluginEffect::readParameter(int index) { return getParameter(index); }

void PluginEffect::beginParameterEdit(int index) {
  if (audioMaster) audioMaster(&cEffect, vst2::audioMasterBeginEdit, index, 0, nullptr, 0.0f);
}

void PluginEffect::endParameterEdit(int index) {
  if (audioMaster) audioMaster(&cEffect, vst2::audioMasterEndEdit, index, 0, nullptr, 0.0f);
}

const char* PluginEffect::dataFolder() { return engine ? engine->getDataFolder() : ""; }

void PluginEffect::formatReadout(int index, float value, char* text, std::size_t size) {
  parameterReadout(index, value, text, size);
}

void PluginEffect::parameterName(int index, char* text, std::size_t size) { vt::parameterName(index, text, size); }

}  // namespace vt
