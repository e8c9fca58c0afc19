// Loading a recording into one layer of one multisample of a voice: import,
// root frequency, analysis and hand-over to the engine.
//
// The work runs on a thread of its own, so the host's interface keeps running
// while the progress window shows how far it got. The target (voice,
// multisample, layer) is fixed when the command starts. The result reaches
// the sound model in one staged load (root frequency of both layers, the
// harmonic and the noise block of the chosen layer, the voice prepared
// again), so a playing note never meets a half-written slot. A recording that
// cannot be read shows "Unsupported file format." and changes nothing; a
// result that would make the instrument too large for the host to save is
// refused with a message. One import runs at a time.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace vt {

class AnalysisFeedback;
class SynthEngine;

class AudioImportCommand {
public:
  // How the last import ended.
  enum class Outcome { None, Loaded, Unreadable, TooLarge, Failed };

  static constexpr const char* kMessageTitle = "Veltrane 7000";
  static constexpr const char* kUnreadableMessage = "Unsupported file format.\n";
  static constexpr const char* kTooLargeMessage =
      "The analysed voice would make the instrument too large to be saved.\nThe voice was left unchanged.\n";

  AudioImportCommand(SynthEngine& engine, AnalysisFeedback& feedback);
  ~AudioImportCommand();  // waits for a running import

  AudioImportCommand(const AudioImportCommand&) = delete;
  AudioImportCommand& operator=(const AudioImportCommand&) = delete;

  // Starts importing 'path' into (voice 0-3, multisample 0-7, layer 0-1).
  // False, and nothing started, while another import runs or for a target
  // out of range or an empty path.
  bool start(const char* path, int voice, int multisample, int layer);
  bool isRunning() const { return running.load(std::memory_order_acquire); }
  // True once after an import ended (the editor then refreshes its displays).
  bool takeFinished();
  Outcome lastOutcome() const { return outcome.load(std::memory_order_acquire); }
  // The root frequency the last successful import gave the multisample.
  float lastRootFrequency() const { return rootFrequency.load(std::memory_order_acquire); }
  // Waits until no import runs.
  void wait();

private:
  void run(std::string path, int voice, int multisample, int layer);
  Outcome analyseAndLoad(const std::string& path, int voice, int multisample, int layer);

  SynthEngine& engine;
  AnalysisFeedback& feedback;
  std::mutex startMutex;  // start, wait and the destructor: never the audio thread
  std::thread worker;
  std::atomic<bool> running{false};
  std::atomic<bool> finished{false};
  std::atomic<Outcome> outcome{Outcome::None};
  std::atomic<float> rootFrequency{0.0f};
};

}  // namespace vt
