// The plug-in object the host talks to: a thin shell that answers the host's
// requests and forwards audio, parameters and MIDI to the engine, and engine
// changes to the editor.
#pragma once

#include "editor/editor_owner.h"
#include "plugin/chunk_buffer.h"
#include "plugin/host_transport.h"
#include "plugin/program_record.h"
#include "vst2/audio_effect_x.h"

namespace vt {

class SynthEngine;
class PluginEditor;

class PluginEffect : public vst2::AudioEffectX, public EditorOwner {
public:
  static constexpr vst2::Int32 kUniqueId = vst2::fourCharCode('V', 't', 'V', '7');
  static constexpr int kNumPrograms = 1;

  explicit PluginEffect(vst2::HostCallback audioMaster);
  ~PluginEffect() override;

  // False when an allocation of the constructor failed; the entry point then
  // discards the object.
  bool constructedCompletely() const;

  void setParameter(vst2::Int32 index, float value) override;
  float getParameter(vst2::Int32 index) override;
  void getParameterLabel(vst2::Int32 index, char* label) override;
  void getParameterDisplay(vst2::Int32 index, char* text) override;
  void getParameterName(vst2::Int32 index, char* text) override;

  void process(float** inputs, float** outputs, vst2::Int32 sampleFrames) override;
  void processReplacing(float** inputs, float** outputs, vst2::Int32 sampleFrames) override;

  void setProgram(vst2::Int32 program) override;
  void setProgramName(char* name) override;
  void getProgramName(char* name) override;
  bool getProgramNameIndexed(vst2::Int32 category, vst2::Int32 index, char* text) override;
  bool copyProgram(vst2::Int32 destination) override;

  vst2::Int32 getChunk(void** data, bool isPreset) override;
  vst2::Int32 setChunk(void* data, vst2::Int32 byteSize, bool isPreset) override;

  void setSampleRate(float rate) override;
  void suspend() override;
  void resume() override;

  vst2::Int32 processEvents(vst2::VstEvents* events) override;

  bool getOutputProperties(vst2::Int32 index, vst2::VstPinProperties* properties) override;
  bool getEffectName(char* name) override;
  bool getProductString(char* text) override;
  bool getVendorString(char* text) override;
  vst2::Int32 getVendorVersion() override;
  vst2::IntPtr vendorSpecific(vst2::Int32 index, vst2::IntPtr value, void* ptr, float opt) override;
  vst2::Int32 canDo(char* text) override;

  // Asks the host to read the parameters again (audioMasterUpdateDisplay):
  // after a chunk or instrument load the host's view and automation lanes
  // would otherwise show the old values. Not during construction (the host
  // does not know the instance yet).
  void hostParametersChanged();
  void instrumentLoaded() override { hostParametersChanged(); }

  // What the editor asks of its owner (plugin_editor_services.cpp).
  void automateParameter(int index, float value) override;
  float readParameter(int index) override;
  void beginParameterEdit(int index) override;
  void endParameterEdit(int index) override;
  SynthEngine* synthEngine() override { return engine; }
  const char* dataFolder() override;
  void formatReadout(int index, float value, char* text, std::size_t size) override;
  void parameterName(int index, char* text, std::size_t size) override;

  SynthEngine* getEngine() const { return engine; }
  PluginEditor* getPluginEditor() const;
  float getSampleRateSeen() const { return sampleRateSeen; }
  int chunkCapacity() const { return chunkBuffer.capacity(); }  // bytes held for the host's chunk

private:
  void renderBlock(float** outputs, vst2::Int32 sampleFrames);
  void reportEngineChanges();

  // Each instance polls and applies the host transport itself; instances on
  // other threads share nothing with it.
  HostTransport transport;
  bool constructionDone = false;
  ProgramRecord* programs = nullptr;
  float sampleRateSeen = 0.0f;
  ChunkBuffer chunkBuffer;  // sized by each getChunk
  SynthEngine* engine = nullptr;
};

// The entry point's body: creates one instance for the host, or null.
vst2::AEffect* createPluginInstance(vst2::HostCallback audioMaster);

}  // namespace vt
