// One plug-in instance as the validator drives it: created through the
// module's entry point, opened at a rate and maximum block size, fed events
// and rendered into its own buffers, with a transport of its own that the
// plug-in reads through the host callback.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/render/plugin_host.h"
#include "tools/render/plugin_module.h"
#include "tools/validate/signal_stats.h"

namespace vt::validate {

class InstanceUnderTest {
public:
  static constexpr int kMaxBlockSize = 4096;
  // Channel counts a descriptor may claim that we are prepared to allocate.
  static constexpr int kMaxChannels = 64;

  InstanceUnderTest() = default;
  InstanceUnderTest(const InstanceUnderTest&) = delete;
  InstanceUnderTest& operator=(const InstanceUnderTest&) = delete;

  // Instantiates the plug-in and checks what a host relies on in its
  // descriptor (channel counts, processReplacing). False with 'error' set.
  bool create(const render::PluginModule& module, std::string& error);
  // effOpen, sample rate and maximum block size (suspended afterwards).
  void open(double sampleRate, int maxBlockSize);
  // Sample rate and block size changed while suspended, as hosts do.
  void reconfigure(double sampleRate, int maxBlockSize);
  void resume() { host.resume(); }
  void suspend() { host.suspend(); }
  void close() { host.close(); }

  // The transport reported from the next block on. A running transport
  // moves on with every rendered frame; a stopped one stays where it is.
  void setTempo(double beatsPerMinute) { tempo = beatsPerMinute; }
  void setPlaying(bool running) { playing = running; }
  // From now on the allocations this thread makes inside processEvents and
  // processReplacing are counted (see allocation_hook.h).
  void setCountingAllocations(bool on) { countingAllocations = on; }

  // One block of 'frames' (1..maximum block size): the events, then
  // processReplacing. The output is checked into 'stats' when given.
  void render(int frames, vst2::VstEvents* events, SignalStats* stats = nullptr);
  // Renders 'frames' in blocks of 'blockSize' without events.
  void renderFor(std::int64_t frames, int blockSize, SignalStats* stats = nullptr);
  const float* output(int channel) const { return outputBuffers[static_cast<std::size_t>(channel)].data(); }
  int outputCount() const { return static_cast<int>(outputBuffers.size()); }

  int parameterCount() const;
  void setParameter(int index, float value);
  float getParameter(int index) const;
  std::vector<float> parameters() const;
  std::string parameterName(int index);

  // effGetChunk (whole bank) copied out; empty when the plug-in hands out none.
  std::vector<std::uint8_t> chunk();
  // effSetChunk with these bytes; the plug-in's answer.
  long long restoreChunk(const std::vector<std::uint8_t>& bytes);

  render::PluginHost& pluginHost() { return host; }
  vst2::AEffect* effect() const { return host.effect(); }
  double sampleRate() const { return host.sampleRate(); }
  int maxBlockSize() const { return host.blockSize(); }
  std::int64_t framesRendered() const { return rendered; }

private:
  render::PluginHost host;
  std::vector<std::vector<float>> inputBuffers;
  std::vector<std::vector<float>> outputBuffers;
  std::vector<float*> inputs;
  std::vector<float*> outputs;
  double tempo = 120.0;
  bool playing = true;
  bool countingAllocations = false;
  double quarterNotes = 0.0;
  std::int64_t rendered = 0;
};

}  // namespace vt::validate
