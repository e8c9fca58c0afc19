#include "vst2/audio_effect_x.h"

#include "vst2/aeff_editor.h"

namespace vst2 {

AudioEffectX::AudioEffectX(HostCallback master, Int32 programs, Int32 params) : AudioEffect(master, programs, params) {}

IntPtr AudioEffectX::dispatcher(Int32 opcode, Int32 index, IntPtr value, void* ptr, float opt) {
  switch (opcode) {
    case effProcessEvents:
      return ptr ? processEvents(static_cast<VstEvents*>(ptr)) : 0;
    case effCanBeAutomated:
      return canParameterBeAutomated(index) ? 1 : 0;
    case effString2Parameter:
      return string2parameter(index, static_cast<char*>(ptr)) ? 1 : 0;
    case effGetProgramNameIndexed:
      return ptr && getProgramNameIndexed(static_cast<Int32>(value), index, static_cast<char*>(ptr)) ? 1 : 0;
    case effCopyProgram:
      return copyProgram(index) ? 1 : 0;
    case effGetInputProperties:
      return ptr && getInputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
    case effGetOutputProperties:
      return ptr && getOutputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
    case effGetPlugCategory:
      return getPlugCategory();
    case effSetBypass:
      return setBypass(value != 0) ? 1 : 0;
    case effGetEffectName:
      return ptr && getEffectName(static_cast<char*>(ptr)) ? 1 : 0;
    case effGetVendorString:
      return ptr && getVendorString(static_cast<char*>(ptr)) ? 1 : 0;
    case effGetProductString:
      return ptr && getProductString(static_cast<char*>(ptr)) ? 1 : 0;
    case effGetVendorVersion:
      return getVendorVersion();
    case effVendorSpecific:
      return vendorSpecific(index, value, ptr, opt);
    case effCanDo:
      return ptr ? canDo(static_cast<char*>(ptr)) : 0;
    case effGetTailSize:
      return getGetTailSize();
    case effGetVstVersion:
      return getVstVersion();
    case effEditKeyDown:
      return editor && editor->onKeyDown(index, static_cast<int>(value), static_cast<int>(opt)) ? 1 : 0;
    case effEditKeyUp:
      return editor && editor->onKeyUp(index, static_cast<int>(value), static_cast<int>(opt)) ? 1 : 0;
    case effSetEditKnobMode:
      return editor && editor->setKnobMode(static_cast<int>(value)) ? 1 : 0;
    case effStartProcess:
      return startProcess();
    case effStopProcess:
      return stopProcess();
    case effGetNumMidiInputChannels:
      return getNumMidiInputChannels();
    case effGetNumMidiOutputChannels:
      return getNumMidiOutputChannels();
    default:
      return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
  }
}

PlugCategory AudioEffectX::getPlugCategory() {
  return (cEffect.flags & effFlagsIsSynth) ? kPlugCategSynth : kPlugCategUnknown;
}

bool AudioEffectX::wantEvents(Int32 filter) {
  return audioMaster && audioMaster(&cEffect, audioMasterWantMidi, 0, filter, nullptr, 0.0f) != 0;
}

VstTimeInfo* AudioEffectX::getTimeInfo(Int32 filter) {
  if (!audioMaster) return nullptr;
  return reinterpret_cast<VstTimeInfo*>(audioMaster(&cEffect, audioMasterGetTime, 0, filter, nullptr, 0.0f));
}

Int32 AudioEffectX::getMasterVersion() {
  if (!audioMaster) return 0;
  return static_cast<Int32>(audioMaster(&cEffect, audioMasterVersion, 0, 0, nullptr, 0.0f));
}

}  // namespace vst2
