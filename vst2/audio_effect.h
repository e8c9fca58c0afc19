// The VST 2 plug-in base class: owns the AEffect descriptor handed to the
// host, routes the host's calls (dispatcher, parameter and process entry
// points) to virtual methods, and answers every request with the documented
// default unless a derived class overrides it.
#pragma once

#include "vst2/aeffect.h"

namespace vst2 {

class AEffEditor;

class AudioEffect {
public:
  AudioEffect(HostCallback audioMaster, Int32 numPrograms, Int32 numParams);
  virtual ~AudioEffect();

  AudioEffect(const AudioEffect&) = delete;
  AudioEffect& operator=(const AudioEffect&) = delete;

  AEffect* getAeffect() { return &cEffect; }
  HostCallback getAudioMaster() const { return audioMaster; }

  // The request decoder; public so that the static trampolines and tests reach it.
  virtual IntPtr dispatcher(Int32 opcode, Int32 index, IntPtr value, void* ptr, float opt);

  virtual void open() {}
  virtual void close() {}
  virtual void suspend() {}
  virtual void resume() {}

  virtual void setProgram(Int32 program) { curProgram = program; }
  virtual Int32 getProgram() { return curProgram; }
  virtual void setProgramName(char* /*name*/) {}
  virtual void getProgramName(char* name) { name[0] = 0; }

  virtual void setParameter(Int32 /*index*/, float /*value*/) {}
  virtual float getParameter(Int32 /*index*/) { return 0.0f; }
  virtual void getParameterLabel(Int32 /*index*/, char* label) { label[0] = 0; }
  virtual void getParameterDisplay(Int32 /*index*/, char* text) { text[0] = 0; }
  virtual void getParameterName(Int32 /*index*/, char* text) { text[0] = 0; }
  // Writes the value and tells the host that the user changed it (for recording automation).
  virtual void setParameterAutomated(Int32 index, float value);

  virtual void setSampleRate(float rate) { sampleRate = rate; }
  virtual void setBlockSize(Int32 size) { blockSize = size; }
  float getSampleRate() const { return sampleRate; }
  Int32 getBlockSize() const { return blockSize; }

  virtual Int32 getChunk(void** data, bool /*isPreset*/) {
    *data = nullptr;
    return 0;
  }
  virtual Int32 setChunk(void* /*data*/, Int32 /*byteSize*/, bool /*isPreset*/) { return 0; }

  virtual void process(float** /*inputs*/, float** /*outputs*/, Int32 /*sampleFrames*/) {}
  virtual void processReplacing(float** inputs, float** outputs, Int32 sampleFrames) = 0;
  virtual void processDoubleReplacing(double** /*inputs*/, double** /*outputs*/, Int32 /*sampleFrames*/) {}

  // Registers (or removes) the editor; sets effFlagsHasEditor while one exists.
  void setEditor(AEffEditor* newEditor);
  AEffEditor* getEditor() const { return editor; }

  // Descriptor set-up for derived constructors.
  void setUniqueID(Int32 id) { cEffect.uniqueID = id; }
  void setNumInputs(Int32 n) { cEffect.numInputs = n; }
  void setNumOutputs(Int32 n) { cEffect.numOutputs = n; }
  void setInitialDelay(Int32 delay) { cEffect.initialDelay = delay; }
  void canProcessReplacing(bool state = true) { setFlag(effFlagsCanReplacing, state); }
  void programsAreChunks(bool state = true) { setFlag(effFlagsProgramChunks, state); }
  void hasVu(bool state = true) { setFlag(effFlagsHasVu, state); }
  void hasClip(bool state = true) { setFlag(effFlagsHasClip, state); }
  void canMono(bool state = true) { setFlag(effFlagsCanMono, state); }

  // Static entry points stored in the descriptor.
  static IntPtr VST_CALLBACK dispatchEffectClass(AEffect* e, Int32 opcode, Int32 index, IntPtr value, void* ptr,
                                                 float opt);
  static void VST_CALLBACK processClass(AEffect* e, float** inputs, float** outputs, Int32 sampleFrames);
  static void VST_CALLBACK processReplacingClass(AEffect* e, float** inputs, float** outputs, Int32 sampleFrames);
  static void VST_CALLBACK processDoubleReplacingClass(AEffect* e, double** inputs, double** outputs,
                                                       Int32 sampleFrames);
  static void VST_CALLBACK setParameterClass(AEffect* e, Int32 index, float value);
  static float VST_CALLBACK getParameterClass(AEffect* e, Int32 index);

protected:
  void setFlag(Int32 flag, bool state) {
    if (state)
      cEffect.flags |= flag;
    else
      cEffect.flags &= ~flag;
  }

  HostCallback audioMaster;
  AEffEditor* editor = nullptr;
  float sampleRate = 44100.0f;
  Int32 blockSize = 1024;
  Int32 numPrograms;
  Int32 numParams;
  Int32 curProgram = 0;
  AEffect cEffect;
};

}  // namespace vst2
