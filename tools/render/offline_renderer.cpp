#include "tools/render/offline_renderer.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "tools/render/event_scheduler.h"

namespace vt::render {

namespace {

// Channel counts a descriptor may claim that we are prepared to allocate.
constexpr int kMaxChannels = 64;

}  // namespace

bool renderOffline(PluginHost& host, const EventSchedule& schedule, const TempoMap& tempo, std::int64_t totalFrames,
                   SampleSink& sink, RenderStatistics& statistics, std::string& error) {
  statistics = RenderStatistics();
  vst2::AEffect* effect = host.effect();
  if (!effect) {
    error = "no plug-in";
    return false;
  }
  const int outputCount = effect->numOutputs;
  const int inputCount = std::clamp<int>(effect->numInputs, 0, kMaxChannels);
  if (outputCount < 1 || outputCount > kMaxChannels) {
    error = "the plug-in declares " + std::to_string(outputCount) + " outputs";
    return false;
  }
  const int blockSize = std::max(1, host.blockSize());
  const double rate = host.sampleRate();

  // Inputs are silent; outputs are cleared before each block, so a plug-in
  // that accumulates instead of replacing still gives the right result.
  std::vector<std::vector<float>> inputBuffers(static_cast<std::size_t>(std::max(inputCount, 1)),
                                               std::vector<float>(static_cast<std::size_t>(blockSize), 0.0f));
  std::vector<std::vector<float>> outputBuffers(static_cast<std::size_t>(outputCount),
                                                std::vector<float>(static_cast<std::size_t>(blockSize), 0.0f));
  std::vector<float*> inputs, outputs;
  for (auto& buffer : inputBuffers) inputs.push_back(buffer.data());
  for (auto& buffer : outputBuffers) outputs.push_back(buffer.data());

  EventScheduler scheduler(schedule);
  host.resume();
  bool ok = true;
  using Clock = std::chrono::steady_clock;
  Clock::duration busy{};
  for (std::int64_t start = 0; start < totalFrames; start += blockSize) {
    const int frames = static_cast<int>(std::min<std::int64_t>(blockSize, totalFrames - start));
    const double seconds = static_cast<double>(start) / rate;
    host.setTransport(static_cast<double>(start), tempo.tempoAt(seconds), tempo.quarterNotesAt(seconds));
    vst2::VstEvents* events = scheduler.eventsForBlock(start, frames);
    for (auto& buffer : outputBuffers) std::fill(buffer.begin(), buffer.begin() + frames, 0.0f);

    const Clock::time_point before = Clock::now();
    host.processBlock(events, inputs.data(), outputs.data(), frames);
    busy += Clock::now() - before;

    statistics.eventsSent += events->numEvents;
    ++statistics.blocks;
    statistics.frames += frames;
    // A mono plug-in is heard in both channels.
    const float* right = outputCount > 1 ? outputs[1] : outputs[0];
    if (!sink.write(outputs[0], right, frames)) {
      error = "cannot write the rendered audio";
      ok = false;
      break;
    }
  }
  host.suspend();
  statistics.audioSeconds = static_cast<double>(statistics.frames) / rate;
  statistics.processingSeconds = std::chrono::duration<double>(busy).count();
  return ok;
}

}  // namespace vt::render
