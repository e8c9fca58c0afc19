// The host side of the VST 2 conversation: instantiates a plug-in through a
// module's entry point, answers the plug-in's callback (version, time info,
// MIDI wish, sample rate, block size) and wraps the dispatcher requests a
// render needs. It knows nothing about the plug-in beyond the ABI.
#pragma once

#include <string>

#include "tools/render/plugin_module.h"
#include "vst2/aeffect.h"

namespace vt::render {

class PluginHost {
public:
  static constexpr vst2::IntPtr kHostVersion = 2400;
  static constexpr const char* kHostVendor = "VT7000";
  static constexpr const char* kHostProduct = "vt7000-render";
  // Text buffers handed to the plug-in's string requests: far larger than the
  // nominal limits, because plug-ins are known to overrun those.
  static constexpr int kTextBufferSize = 256;

  PluginHost() = default;
  ~PluginHost();
  PluginHost(const PluginHost&) = delete;
  PluginHost& operator=(const PluginHost&) = delete;

  // Calls the entry point with this host's callback and checks the descriptor.
  bool instantiate(PluginEntryProc entry, std::string& error);
  // effOpen, then configure().
  void open(double sampleRate, int blockSize);
  // effSetSampleRate and effSetBlockSize (hosts send them while suspended).
  void configure(double sampleRate, int blockSize);
  // effMainsChanged(1) and (0).
  void resume();
  void suspend();
  // effClose; the descriptor is gone afterwards. Suspends first if resumed.
  void close();

  vst2::AEffect* effect() const { return plugin; }
  vst2::IntPtr dispatch(vst2::Int32 opcode, vst2::Int32 index = 0, vst2::IntPtr value = 0, void* ptr = nullptr,
                        float opt = 0.0f);
  // A string request (effect name, vendor, parameter name...) as text.
  std::string requestText(vst2::Int32 opcode, vst2::Int32 index = 0);
  vst2::IntPtr canDo(const char* text);

  // The transport the plug-in sees through audioMasterGetTime from now on;
  // 'playing' false reports a stopped transport (position standing still).
  void setTransport(double samplePosition, double tempo, double quarterNotes, bool playing = true);
  const vst2::VstTimeInfo& timeInfo() const { return time; }

  // One block: effProcessEvents with the block's list, then processReplacing.
  void processBlock(vst2::VstEvents* events, float** inputs, float** outputs, int frames);

  double sampleRate() const { return rate; }
  int blockSize() const { return block; }

  // What the plug-in asked of the host so far.
  int timeRequests = 0;
  int wantMidiRequests = 0;
  int automateRequests = 0;

private:
  static vst2::IntPtr VST_CALLBACK callback(vst2::AEffect* effect, vst2::Int32 opcode, vst2::Int32 index,
                                            vst2::IntPtr value, void* ptr, float opt);
  vst2::IntPtr answer(vst2::Int32 opcode, vst2::Int32 index, vst2::IntPtr value, void* ptr, float opt);

  vst2::AEffect* plugin = nullptr;
  vst2::VstTimeInfo time{};
  double rate = 44100.0;
  int block = 512;
  bool resumed = false;
};

}  // namespace vt::render
