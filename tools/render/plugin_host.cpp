#include "tools/render/plugin_host.h"

#include <cstring>

namespace vt::render {

namespace {

// The host a plug-in under construction belongs to: during the entry point
// call the plug-in has no descriptor the host knows yet. Afterwards the
// descriptor's host-reserved field names the host.
thread_local PluginHost* hostBeingInstantiated = nullptr;

void copyText(const char* text, void* destination, std::size_t size) {
  if (!destination || size == 0) return;
  char* out = static_cast<char*>(destination);
  std::strncpy(out, text, size - 1);
  out[size - 1] = '\0';
}

}  // namespace

PluginHost::~PluginHost() { close(); }

bool PluginHost::instantiate(PluginEntryProc entry, std::string& error) {
  close();
  if (!entry) {
    error = "no entry point";
    return false;
  }
  time = vst2::VstTimeInfo{};
  setTransport(0.0, 120.0, 0.0);
  hostBeingInstantiated = this;
  vst2::AEffect* created = entry(&PluginHost::callback);
  hostBeingInstantiated = nullptr;
  if (!created) {
    error = "the entry point returned no plug-in";
    return false;
  }
  if (created->magic != vst2::kEffectMagic || !created->dispatcher) {
    error = "the entry point returned something that is not a VST 2 descriptor";
    return false;
  }
  created->resvd1 = reinterpret_cast<vst2::IntPtr>(this);
  plugin = created;
  return true;
}

void PluginHost::open(double sampleRate, int blockSize) {
  dispatch(vst2::effOpen);
  configure(sampleRate, blockSize);
}

void PluginHost::configure(double sampleRate, int blockSize) {
  rate = sampleRate;
  block = blockSize;
  time.sampleRate = rate;
  dispatch(vst2::effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
  dispatch(vst2::effSetBlockSize, 0, block);
}

void PluginHost::resume() {
  if (!plugin || resumed) return;
  dispatch(vst2::effMainsChanged, 0, 1);
  resumed = true;
}

void PluginHost::suspend() {
  if (!plugin || !resumed) return;
  dispatch(vst2::effMainsChanged, 0, 0);
  resumed = false;
}

void PluginHost::close() {
  if (!plugin) return;
  suspend();
  // The plug-in frees itself (and so its descriptor) in effClose.
  vst2::AEffect* closing = plugin;
  plugin = nullptr;
  closing->dispatcher(closing, vst2::effClose, 0, 0, nullptr, 0.0f);
}

vst2::IntPtr PluginHost::dispatch(vst2::Int32 opcode, vst2::Int32 index, vst2::IntPtr value, void* ptr, float opt) {
  if (!plugin) return 0;
  return plugin->dispatcher(plugin, opcode, index, value, ptr, opt);
}

std::string PluginHost::requestText(vst2::Int32 opcode, vst2::Int32 index) {
  char text[kTextBufferSize] = {};
  dispatch(opcode, index, 0, text);
  text[kTextBufferSize - 1] = '\0';
  return text;
}

vst2::IntPtr PluginHost::canDo(const char* text) {
  char copy[kTextBufferSize] = {};
  copyText(text, copy, sizeof(copy));
  return dispatch(vst2::effCanDo, 0, 0, copy);
}

void PluginHost::setTransport(double samplePosition, double tempo, double quarterNotes, bool playing) {
  time.samplePos = samplePosition;
  time.sampleRate = rate;
  time.tempo = tempo;
  time.ppqPos = quarterNotes;
  time.timeSigNumerator = 4;
  time.timeSigDenominator = 4;
  time.flags = vst2::kVstTempoValid | vst2::kVstPpqPosValid | vst2::kVstTimeSigValid;
  if (playing) time.flags |= vst2::kVstTransportPlaying;
}

void PluginHost::processBlock(vst2::VstEvents* events, float** inputs, float** outputs, int frames) {
  if (!plugin) return;
  dispatch(vst2::effProcessEvents, 0, 0, events);
  if (plugin->processReplacing) plugin->processReplacing(plugin, inputs, outputs, frames);
}

vst2::IntPtr VST_CALLBACK PluginHost::callback(vst2::AEffect* effect, vst2::Int32 opcode, vst2::Int32 index,
                                               vst2::IntPtr value, void* ptr, float opt) {
  PluginHost* host = nullptr;
  if (effect && effect->resvd1) host = reinterpret_cast<PluginHost*>(effect->resvd1);
  if (!host) host = hostBeingInstantiated;
  if (!host) return opcode == vst2::audioMasterVersion ? kHostVersion : 0;
  return host->answer(opcode, index, value, ptr, opt);
}

vst2::IntPtr PluginHost::answer(vst2::Int32 opcode, vst2::Int32 index, vst2::IntPtr value, void* ptr, float opt) {
  (void)index;
  (void)opt;
  switch (opcode) {
    case vst2::audioMasterVersion:
      return kHostVersion;
    case vst2::audioMasterGetTime:
      // 'value' is the mask of fields the plug-in needs; every field we fill
      // is always valid, so the whole record is returned.
      (void)value;
      ++timeRequests;
      return reinterpret_cast<vst2::IntPtr>(&time);
    case vst2::audioMasterWantMidi:
      ++wantMidiRequests;
      return 1;
    case vst2::audioMasterAutomate:
      ++automateRequests;
      return 0;
    case vst2::audioMasterGetSampleRate:
      return static_cast<vst2::IntPtr>(rate);
    case vst2::audioMasterGetBlockSize:
      return block;
    case vst2::audioMasterGetVendorString:
      copyText(kHostVendor, ptr, vst2::kVstMaxVendorStrLen);
      return ptr ? 1 : 0;
    case vst2::audioMasterGetProductString:
      copyText(kHostProduct, ptr, vst2::kVstMaxProductStrLen);
      return ptr ? 1 : 0;
    case vst2::audioMasterGetVendorVersion:
      return 1;
    case vst2::audioMasterCanDo: {
      if (!ptr) return 0;
      const char* text = static_cast<const char*>(ptr);
      const bool yes = std::strcmp(text, "sendVstEvents") == 0 || std::strcmp(text, "sendVstMidiEvent") == 0 ||
                       std::strcmp(text, "sendVstTimeInfo") == 0;
      return yes ? 1 : 0;
    }
    default:
      return 0;
  }
}

}  // namespace vt::render
