#include "tools/validate/instance_under_test.h"

#include <algorithm>
#include <cstring>

#include "tools/validate/allocation_hook.h"

namespace vt::validate {

bool InstanceUnderTest::create(const render::PluginModule& module, std::string& error) {
  if (!host.instantiate(module.entryPoint(), error)) return false;
  const vst2::AEffect* e = host.effect();
  if (e->numOutputs < 1 || e->numOutputs > kMaxChannels || e->numInputs < 0 || e->numInputs > kMaxChannels) {
    error = "the descriptor declares " + std::to_string(e->numInputs) + " inputs and " + std::to_string(e->numOutputs) +
            " outputs";
    host.close();
    return false;
  }
  if (!e->processReplacing) {
    error = "the descriptor has no processReplacing";
    host.close();
    return false;
  }
  if (e->numParams < 0) {
    error = "the descriptor declares a negative parameter count";
    host.close();
    return false;
  }
  inputBuffers.assign(static_cast<std::size_t>(std::max(e->numInputs, 1)), std::vector<float>(kMaxBlockSize, 0.0f));
  outputBuffers.assign(static_cast<std::size_t>(e->numOutputs), std::vector<float>(kMaxBlockSize, 0.0f));
  inputs.clear();
  outputs.clear();
  for (auto& buffer : inputBuffers) inputs.push_back(buffer.data());
  for (auto& buffer : outputBuffers) outputs.push_back(buffer.data());
  return true;
}

void InstanceUnderTest::open(double sampleRate, int maxBlockSize) {
  host.open(sampleRate, std::clamp(maxBlockSize, 1, kMaxBlockSize));
}

void InstanceUnderTest::reconfigure(double sampleRate, int maxBlockSize) {
  host.suspend();
  host.configure(sampleRate, std::clamp(maxBlockSize, 1, kMaxBlockSize));
}

void InstanceUnderTest::render(int frames, vst2::VstEvents* events, SignalStats* stats) {
  frames = std::clamp(frames, 1, host.blockSize());
  host.setTransport(static_cast<double>(rendered), tempo, quarterNotes, playing);
  // A plug-in that accumulates instead of replacing still gives a clean result.
  for (auto& buffer : outputBuffers) std::fill(buffer.begin(), buffer.begin() + frames, 0.0f);
  for (auto& buffer : inputBuffers) std::fill(buffer.begin(), buffer.begin() + frames, 0.0f);
  if (countingAllocations) armAllocationCount();
  host.processBlock(events, inputs.data(), outputs.data(), frames);
  if (countingAllocations) disarmAllocationCount();
  if (stats) {
    // Channels are checked one after another; the frame count advances once.
    SignalStats block;
    for (const auto& buffer : outputBuffers) {
      SignalStats channel;
      channel.add(buffer.data(), frames);
      block.finite = block.finite && channel.finite;
      block.peak = std::max(block.peak, channel.peak);
      block.energy += channel.energy / static_cast<double>(outputBuffers.size());
      if (channel.firstBadFrame >= 0 && (block.firstBadFrame < 0 || channel.firstBadFrame < block.firstBadFrame))
        block.firstBadFrame = channel.firstBadFrame;
    }
    block.frames = frames;
    stats->merge(block);
  }
  rendered += frames;
  if (playing) quarterNotes += static_cast<double>(frames) / host.sampleRate() * tempo / 60.0;
}

void InstanceUnderTest::renderFor(std::int64_t frames, int blockSize, SignalStats* stats) {
  while (frames > 0) {
    const int block = static_cast<int>(std::min<std::int64_t>(frames, std::clamp(blockSize, 1, host.blockSize())));
    render(block, nullptr, stats);
    frames -= block;
  }
}

int InstanceUnderTest::parameterCount() const { return host.effect() ? host.effect()->numParams : 0; }

void InstanceUnderTest::setParameter(int index, float value) {
  vst2::AEffect* e = host.effect();
  if (e && e->setParameter) e->setParameter(e, index, value);
}

float InstanceUnderTest::getParameter(int index) const {
  vst2::AEffect* e = host.effect();
  return e && e->getParameter ? e->getParameter(e, index) : 0.0f;
}

std::vector<float> InstanceUnderTest::parameters() const {
  std::vector<float> values(static_cast<std::size_t>(parameterCount()));
  for (int i = 0; i < parameterCount(); ++i) values[static_cast<std::size_t>(i)] = getParameter(i);
  return values;
}

std::string InstanceUnderTest::parameterName(int index) { return host.requestText(vst2::effGetParamName, index); }

std::vector<std::uint8_t> InstanceUnderTest::chunk() {
  void* data = nullptr;
  const vst2::IntPtr length = host.dispatch(vst2::effGetChunk, 0, 0, &data);
  if (length <= 0 || !data) return {};
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  return std::vector<std::uint8_t>(bytes, bytes + length);
}

long long InstanceUnderTest::restoreChunk(const std::vector<std::uint8_t>& bytes) {
  if (bytes.empty()) return 0;
  // The plug-in may keep the pointer only for the call; it gets its own copy.
  std::vector<std::uint8_t> copy(bytes);
  return static_cast<long long>(
      host.dispatch(vst2::effSetChunk, 0, static_cast<vst2::IntPtr>(copy.size()), copy.data()));
}

}  // namespace vt::validate
