#include "plugin/plugin_effect.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <new>

#include "editor/plugin_editor.h"
#include "engine/staged_load.h"
#include "engine/synth_engine.h"
#include "files/byte_stream.h"
#include "files/engine_loader.h"
#include "files/instrument_record.h"
#include "platform/module_path.h"
#include "plugin/host_transport.h"
#include "plugin/parameter_table.h"

namespace vt {

namespace {

constexpr vst2::Int32 kWheelVendor = vst2::fourCharCode('s', 't', 'C', 'A');
constexpr vst2::Int32 kWheelRequest = vst2::fourCharCode('W', 'h', 'e', 'e');
constexpr int kNumOutputs = 2;

// Copies a zero-terminated text into a host buffer of 'size' bytes.
void copyText(char* destination, const char* source, std::size_t size) {
  if (!destination || size == 0) return;
  std::size_t i = 0;
  for (; source && source[i] && i + 1 < size; ++i) destination[i] = source[i];
  destination[i] = 0;
}

}  // namespace

PluginEffect::PluginEffect(vst2::HostCallback master) : AudioEffectX(master, kNumPrograms, kNumHostParameters) {
  char folder[SynthEngine::kDataFolderSize] = {};
  moduleDirectory(folder, sizeof(folder));

  engine = new (std::nothrow) SynthEngine();
  if (engine) engine->setDataFolder(folder);
  programsAreChunks(true);
  programs = new (std::nothrow) ProgramRecord[kNumPrograms];

  editor = nullptr;
  sampleRateSeen = 0.0f;
  setNumInputs(0);
  setNumOutputs(kNumOutputs);

  canProcessReplacing(true);
  hasVu(false);
  hasClip(false);
  canMono(true);
  isSynth(true);
  setUniqueID(kUniqueId);

  // The editor registers itself with this object; its constructor loads the
  // first factory instrument into the engine.
  if (engine && programs) new (std::nothrow) PluginEditor(this, engine, this);

  // Random voice choices and random instruments differ from session to session.
  if (editor) getPluginEditor()->seedRandom(static_cast<unsigned>(std::time(nullptr)));
  constructionDone = true;
}

PluginEffect::~PluginEffect() {
  // The editor points to the engine: it goes first.
  if (editor) {
    vst2::AEffEditor* doomed = editor;
    editor = nullptr;
    delete doomed;
  }
  delete[] programs;
  programs = nullptr;
  delete engine;
  engine = nullptr;
}

void PluginEffect::hostParametersChanged() {
  if (constructionDone && audioMaster) audioMaster(&cEffect, vst2::audioMasterUpdateDisplay, 0, 0, nullptr, 0.0f);
}

bool PluginEffect::constructedCompletely() const {
  return engine && engine->constructedCompletely() && programs && editor;
}

PluginEditor* PluginEffect::getPluginEditor() const { return static_cast<PluginEditor*>(editor); }

void PluginEffect::setParameter(vst2::Int32 index, float value) {
  if (!engine) return;
  engine->setParameter(index, value);
  // The editor mirrors the value the engine holds (limited to its range; a
  // value that was refused leaves the control where it was).
  if (editor && index >= 0 && index < kNumParameters)
    getPluginEditor()->setParameter(index, engine->getParameter(index));
}

float PluginEffect::getParameter(vst2::Int32 index) { return engine ? engine->getParameter(index) : 0.0f; }

void PluginEffect::getParameterLabel(vst2::Int32 index, char* label) {
  parameterLabel(index, label, kParameterTextSize);
}

void PluginEffect::getParameterDisplay(vst2::Int32 index, char* text) {
  parameterHostDisplay(getParameter(index), text, kParameterTextSize);
}

void PluginEffect::getParameterName(vst2::Int32 index, char* text) { parameterName(index, text, kParameterTextSize); }

void PluginEffect::process(float** inputs, float** outputs, vst2::Int32 sampleFrames) {
  // The engine overwrites both buffers, so the accumulating entry gives the
  // same samples as the replacing one.
  (void)inputs;
  renderBlock(outputs, sampleFrames);
}

void PluginEffect::processReplacing(float** inputs, float** outputs, vst2::Int32 sampleFrames) {
  (void)inputs;
  renderBlock(outputs, sampleFrames);
}

void PluginEffect::renderBlock(float** outputs, vst2::Int32 sampleFrames) {
  if (!engine) return;
  if (outputs && outputs[0] && outputs[1])
    engine->render(outputs[0], outputs[1], sampleFrames);
  else
    engine->clearQueues();
  reportEngineChanges();
}

void PluginEffect::reportEngineChanges() {
  for (int i = 0; i < kNumParameters; ++i) {
    if (engine->parameterChanged(i) && editor) getPluginEditor()->setParameter(i, engine->getParameter(i));
  }
  engine->clearParameterChanged();
}

void PluginEffect::setProgram(vst2::Int32 /*program*/) {
  // One program only: the current program stays 0.
}

void PluginEffect::setProgramName(char* name) {
  if (!programs || !name) return;
  // Hosts promise at most 23 characters; a longer name is cut to fit.
  copyText(programs[0].name, name, ProgramRecord::kNameSize);
}

void PluginEffect::getProgramName(char* name) {
  if (!name) return;
  if (!programs) {
    name[0] = 0;
    return;
  }
  if (std::strcmp(programs[curProgram].name, "Init") == 0) {
    char numbered[ProgramRecord::kNameSize + 16];
    std::snprintf(numbered, sizeof(numbered), "%s %d", programs[curProgram].name, curProgram + 1);
    copyText(name, numbered, vst2::kVstMaxProgNameLen);
  } else
    copyText(name, programs[curProgram].name, vst2::kVstMaxProgNameLen);
}

bool PluginEffect::getProgramNameIndexed(vst2::Int32 /*category*/, vst2::Int32 index, char* text) {
  if (index != 0 || !programs || !text) return false;
  copyText(text, programs[0].name, vst2::kVstMaxProgNameLen);
  return true;
}

bool PluginEffect::copyProgram(vst2::Int32 destination) {
  if (destination != 0 || !programs) return false;
  programs[destination] = programs[curProgram];
  return true;
}

vst2::Int32 PluginEffect::getChunk(void** data, bool /*isPreset*/) {
  if (!data) return 0;
  *data = chunkBuffer.data();
  if (!engine) return 0;
  // No load may change the sound while it is written; a load not yet adopted
  // is written as the host's state.
  StagedLoad pause(*engine, 0);
  const InstrumentView view = engine->visibleInstrument(pause ? &*pause : nullptr);
  // The buffer is sized to the record. A record beyond the stream's 16 MB (no
  // instrument the engine can hold comes near) or a failed allocation gives
  // the host no chunk and leaves the buffer's previous content alone.
  const std::int64_t recordSize = instrumentRecordSize(view);
  if (recordSize > ByteStream::kCapacity || !chunkBuffer.reserve(static_cast<std::int32_t>(recordSize))) return 0;
  *data = chunkBuffer.data();
  ByteStream stream;
  stream.openMemoryForWriting(chunkBuffer.data(), chunkBuffer.capacity());
  const bool written = writeInstrumentRecord(stream, view);
  const vst2::Int32 length = stream.getPosition();
  stream.close();
  return written ? length : 0;
}

vst2::Int32 PluginEffect::setChunk(void* data, vst2::Int32 byteSize, bool /*isPreset*/) {
  if (!data || byteSize <= 0 || !engine) return 0;
  ByteStream stream;
  stream.openMemoryForReading(data, byteSize);
  readInstrumentInto(*engine, stream);  // a record that fails half-way stays applied as far as it was read
  const vst2::Int32 consumed = stream.getPosition();
  stream.close();
  if (editor) getPluginEditor()->refreshFromEngine();
  hostParametersChanged();
  return consumed;
}

void PluginEffect::setSampleRate(float rate) {
  sampleRateSeen = rate;
  // Safe while resumed: the engine waits for a running block to end and
  // treats the change as suspend, set, resume.
  if (engine) engine->setSampleRate(rate);
}

void PluginEffect::suspend() {
  if (engine) engine->suspend();
}

void PluginEffect::resume() {
  // Empties the queues and clears the effect units' memories.
  if (engine) engine->resume();
  wantEvents(1);
}

vst2::Int32 PluginEffect::processEvents(vst2::VstEvents* events) {
  // Poll the host transport: every call while it moves, every twentieth while it stands.
  if (--transport.pollCountdown <= 0) {
    vst2::VstTimeInfo* time = getTimeInfo(vst2::kVstPpqPosValid | vst2::kVstTempoValid);
    transport.pollCountdown = HostTransport::kPollInterval;
    if (time) {
      transport.polledTempo = static_cast<float>(time->tempo);
      if (std::fabs(time->ppqPos - transport.polledPosition) >= HostTransport::kPositionTolerance)
        transport.pollCountdown = 0;
      transport.polledPosition = static_cast<float>(time->ppqPos);
    }
  }

  if (engine &&
      (transport.polledTempo != transport.appliedTempo || transport.appliedPosition != transport.polledPosition)) {
    transport.appliedTempo = transport.polledTempo;
    transport.appliedPosition = transport.polledPosition;
    engine->setTransport(transport.appliedTempo, transport.appliedPosition);
  }

  if (engine && events) {
    for (vst2::Int32 i = 0; i < events->numEvents; ++i) {
      const vst2::VstEvent* event = events->events[i];
      if (!event || event->type != vst2::kVstMidiType) continue;
      const auto* midi = reinterpret_cast<const vst2::VstMidiEvent*>(event);
      const auto* bytes = reinterpret_cast<const std::uint8_t*>(midi->midiData);
      if (bytes[0] & (0x80 | 0x20 | 0x10)) engine->queueMessage(bytes, 3, midi->deltaFrames);
    }
  }
  return 1;
}

bool PluginEffect::getOutputProperties(vst2::Int32 index, vst2::VstPinProperties* properties) {
  if (index < 0 || index >= kNumOutputs || !properties) return false;
  std::snprintf(properties->label, sizeof(properties->label), "VT %1d", index + 1);
  properties->flags = vst2::kVstPinIsActive | vst2::kVstPinIsStereo;
  return true;
}

bool PluginEffect::getEffectName(char* name) {
  copyText(name, "VT7000", vst2::kVstMaxEffectNameLen);
  return true;
}

bool PluginEffect::getProductString(char* text) {
  copyText(text, "VT7000", vst2::kVstMaxProductStrLen);
  return true;
}

bool PluginEffect::getVendorString(char* text) {
  copyText(text, "Tarnwick", vst2::kVstMaxVendorStrLen);
  return true;
}

vst2::Int32 PluginEffect::getVendorVersion() { return 1; }

vst2::IntPtr PluginEffect::vendorSpecific(vst2::Int32 index, vst2::IntPtr value, void* /*ptr*/, float opt) {
  if (editor && index == kWheelVendor && value == kWheelRequest) return editor->onWheel(opt) ? 1 : 0;
  return 0;
}

vst2::Int32 PluginEffect::canDo(char* text) {
  if (!text) return -1;
  static const char* const kAbilities[] = {"receiveVstEvents", "receiveVstMidiEvent", "receiveVstTimeInfo"};
  for (const char* ability : kAbilities)
    if (std::strcmp(text, ability) == 0) return 1;
  return -1;
}

vst2::AEffect* createPluginInstance(vst2::HostCallback audioMaster) {
  if (!audioMaster) return nullptr;
  if (audioMaster(nullptr, vst2::audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
  PluginEffect* effect = new (std::nothrow) PluginEffect(audioMaster);
  if (!effect) return nullptr;
  if (!effect->constructedCompletely()) {
    delete effect;
    return nullptr;
  }
  return effect->getAeffect();
}

}  // namespace vt
