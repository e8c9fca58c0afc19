#include "vst2/audio_effect.h"

#include <cstring>

#include "vst2/aeff_editor.h"

namespace vst2 {

namespace {
AudioEffect* instanceOf(AEffect* e) { return e ? static_cast<AudioEffect*>(e->object) : nullptr; }
}  // namespace

AEffEditor::AEffEditor(AudioEffect* owner) : effect(owner) {
  if (effect) effect->setEditor(this);
}

AudioEffect::AudioEffect(HostCallback master, Int32 programs, Int32 params)
    : audioMaster(master), numPrograms(programs), numParams(params) {
  std::memset(&cEffect, 0, sizeof(cEffect));
  cEffect.magic = kEffectMagic;
  cEffect.dispatcher = dispatchEffectClass;
  cEffect.process = processClass;
  cEffect.setParameter = setParameterClass;
  cEffect.getParameter = getParameterClass;
  cEffect.numPrograms = programs;
  cEffect.numParams = params;
  cEffect.numInputs = 1;
  cEffect.numOutputs = 2;
  cEffect.ioRatio = 1.0f;
  cEffect.object = this;
  cEffect.uniqueID = fourCharCode('N', 'o', 'E', 'f');
  cEffect.version = 1;
  cEffect.processReplacing = processReplacingClass;
  cEffect.processDoubleReplacing = processDoubleReplacingClass;
}

AudioEffect::~AudioEffect() = default;

void AudioEffect::setEditor(AEffEditor* newEditor) {
  editor = newEditor;
  setFlag(effFlagsHasEditor, newEditor != nullptr);
}

void AudioEffect::setParameterAutomated(Int32 index, float value) {
  setParameter(index, value);
  if (audioMaster) audioMaster(&cEffect, audioMasterAutomate, index, 0, nullptr, value);
}

IntPtr AudioEffect::dispatcher(Int32 opcode, Int32 index, IntPtr value, void* ptr, float opt) {
  switch (opcode) {
    case effOpen:
      open();
      return 0;
    case effClose:
      close();
      delete this;
      return 1;
    case effSetProgram:
      if (value >= 0 && value < numPrograms) setProgram(static_cast<Int32>(value));
      return 0;
    case effGetProgram:
      return getProgram();
    case effSetProgramName:
      if (ptr) setProgramName(static_cast<char*>(ptr));
      return 0;
    case effGetProgramName:
      if (ptr) getProgramName(static_cast<char*>(ptr));
      return 0;
    case effGetParamLabel:
      if (ptr) getParameterLabel(index, static_cast<char*>(ptr));
      return 0;
    case effGetParamDisplay:
      if (ptr) getParameterDisplay(index, static_cast<char*>(ptr));
      return 0;
    case effGetParamName:
      if (ptr) getParameterName(index, static_cast<char*>(ptr));
      return 0;
    case effSetSampleRate:
      setSampleRate(opt);
      return 0;
    case effSetBlockSize:
      setBlockSize(static_cast<Int32>(value));
      return 0;
    case effMainsChanged:
      if (value)
        resume();
      else
        suspend();
      return 0;
    case effEditGetRect:
      if (editor && ptr) return editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
      if (ptr) *static_cast<ERect**>(ptr) = nullptr;
      return 0;
    case effEditOpen:
      return editor ? (editor->open(ptr) ? 1 : 0) : 0;
    case effEditClose:
      if (editor) editor->close();
      return 0;
    case effEditIdle:
      if (editor) editor->idle();
      return 0;
    case effGetChunk:
      if (!ptr) return 0;
      return getChunk(static_cast<void**>(ptr), index != 0);
    case effSetChunk:
      return setChunk(ptr, static_cast<Int32>(value), index != 0);
    default:
      return 0;
  }
}

IntPtr VST_CALLBACK AudioEffect::dispatchEffectClass(AEffect* e, Int32 opcode, Int32 index, IntPtr value, void* ptr,
                                                     float opt) {
  AudioEffect* self = instanceOf(e);
  return self ? self->dispatcher(opcode, index, value, ptr, opt) : 0;
}

void VST_CALLBACK AudioEffect::processClass(AEffect* e, float** inputs, float** outputs, Int32 sampleFrames) {
  if (AudioEffect* self = instanceOf(e)) self->process(inputs, outputs, sampleFrames);
}

void VST_CALLBACK AudioEffect::processReplacingClass(AEffect* e, float** inputs, float** outputs, Int32 sampleFrames) {
  if (AudioEffect* self = instanceOf(e)) self->processReplacing(inputs, outputs, sampleFrames);
}

void VST_CALLBACK AudioEffect::processDoubleReplacingClass(AEffect* e, double** inputs, double** outputs,
                                                           Int32 sampleFrames) {
  if (AudioEffect* self = instanceOf(e)) self->processDoubleReplacing(inputs, outputs, sampleFrames);
}

void VST_CALLBACK AudioEffect::setParameterClass(AEffect* e, Int32 index, float value) {
  if (AudioEffect* self = instanceOf(e)) self->setParameter(index, value);
}

float VST_CALLBACK AudioEffect::getParameterClass(AEffect* e, Int32 index) {
  AudioEffect* self = instanceOf(e);
  return self ? self->getParameter(index) : 0.0f;
}

}  // namespace vst2
