// The VST 2.4 extension layer: events, time info, pin properties, identity
// strings, canDo and the other 2.x requests, with their documented defaults.
#pragma once

#include "vst2/audio_effect.h"

namespace vst2 {

class AudioEffectX : public AudioEffect {
public:
  AudioEffectX(HostCallback audioMaster, Int32 numPrograms, Int32 numParams);

  IntPtr dispatcher(Int32 opcode, Int32 index, IntPtr value, void* ptr, float opt) override;

  virtual Int32 processEvents(VstEvents* /*events*/) { return 0; }
  virtual bool canParameterBeAutomated(Int32 /*index*/) { return true; }
  virtual bool string2parameter(Int32 /*index*/, char* /*text*/) { return false; }
  virtual bool getProgramNameIndexed(Int32 /*category*/, Int32 /*index*/, char* /*text*/) { return false; }
  virtual bool copyProgram(Int32 /*destination*/) { return false; }
  virtual bool getInputProperties(Int32 /*index*/, VstPinProperties* /*properties*/) { return false; }
  virtual bool getOutputProperties(Int32 /*index*/, VstPinProperties* /*properties*/) { return false; }
  virtual PlugCategory getPlugCategory();
  virtual bool setBypass(bool /*onOff*/) { return false; }
  virtual bool getEffectName(char* /*name*/) { return false; }
  virtual bool getVendorString(char* /*text*/) { return false; }
  virtual bool getProductString(char* /*text*/) { return false; }
  virtual Int32 getVendorVersion() { return 0; }
  virtual IntPtr vendorSpecific(Int32 /*index*/, IntPtr /*value*/, void* /*ptr*/, float /*opt*/) { return 0; }
  virtual Int32 canDo(char* /*text*/) { return 0; }
  virtual Int32 getGetTailSize() { return 0; }
  virtual Int32 getVstVersion() { return kVstVersion; }
  virtual Int32 startProcess() { return 0; }
  virtual Int32 stopProcess() { return 0; }
  virtual Int32 getNumMidiInputChannels() { return 0; }
  virtual Int32 getNumMidiOutputChannels() { return 0; }

  // Host services.
  // Asks the host to deliver MIDI events (the filter argument is ignored by modern hosts).
  bool wantEvents(Int32 filter = 1);
  // The host's transport for the given validity mask, or null when the host has none.
  VstTimeInfo* getTimeInfo(Int32 filter);
  Int32 getMasterVersion();
  void isSynth(bool state = true) { setFlag(effFlagsIsSynth, state); }
};

}  // namespace vst2
