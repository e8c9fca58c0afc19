#include "editor/audio_import_command.h"

#include <memory>
#include <new>

#include "analysis/analyze_audio_file.h"
#include "analysis/audio_import.h"
#include "analysis/root_frequency.h"
#include "engine/pending_load.h"
#include "engine/staged_load.h"
#include "engine/synth_engine.h"
#include "engine/voice_slot.h"
#include "engine/voice_slot_content.h"
#include "files/byte_stream.h"
#include "files/harmonic_block.h"
#include "files/instrument_record.h"
#include "files/noise_block.h"
#include "files/voice_record.h"
#include "platform/analysis_feedback.h"

namespace vt {

namespace {

// The largest instrument record the host chunk takes.
constexpr std::int64_t kLargestInstrumentRecord = 16 * 1024 * 1024;

bool validTarget(int voice, int multisample, int layer) {
  return voice >= 0 && voice < kNumSlots && multisample >= 0 && multisample < VoiceSlot::kRows && layer >= 0 &&
         layer < VoiceSlot::kLayers;
}

}  // namespace

AudioImportCommand::AudioImportCommand(SynthEngine& target, AnalysisFeedback& shown)
    : engine(target), feedback(shown) {}

AudioImportCommand::~AudioImportCommand() { wait(); }

bool AudioImportCommand::start(const char* path, int voice, int multisample, int layer) {
  if (!path || !path[0] || !validTarget(voice, multisample, layer)) return false;
  std::lock_guard<std::mutex> lock(startMutex);
  if (running.load(std::memory_order_acquire)) return false;
  if (worker.joinable()) worker.join();  // the previous import has ended
  running.store(true, std::memory_order_release);
  worker = std::thread(&AudioImportCommand::run, this, std::string(path), voice, multisample, layer);
  return true;
}

bool AudioImportCommand::takeFinished() { return finished.exchange(false, std::memory_order_acq_rel); }

void AudioImportCommand::wait() {
  std::lock_guard<std::mutex> lock(startMutex);
  if (worker.joinable()) worker.join();
}

void AudioImportCommand::run(std::string path, int voice, int multisample, int layer) {
  outcome.store(analyseAndLoad(path, voice, multisample, layer), std::memory_order_release);
  finished.store(true, std::memory_order_release);
  running.store(false, std::memory_order_release);
}

AudioImportCommand::Outcome AudioImportCommand::analyseAndLoad(const std::string& path, int voice, int multisample,
                                                               int layer) {
  analysis::ImportedAudio audio;
  if (!analysis::importAudioFile(path.c_str(), audio)) {
    feedback.showMessage(kUnreadableMessage, kMessageTitle);
    return Outcome::Unreadable;
  }
  // Import has already cut the silence, normalised the peak and limited the length.
  std::unique_ptr<ProgressIndicator> progress = feedback.openProgress();
  const float root = analysis::rootFrequencyFor(audio, path.c_str());

  std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[ByteStream::kCapacity]);
  std::unique_ptr<VoiceSlot> scratch(new (std::nothrow) VoiceSlot);
  if (!buffer || !scratch || !scratch->valid()) return Outcome::Failed;
  ByteStream stream;
  const analysis::AnalysisProgress report = [&progress](double share) {
    if (progress) progress->setProgress(0.95 * share);
  };
  if (!analysis::analyzeAudioFile(audio, root, stream, buffer.get(), ByteStream::kCapacity, nullptr, report))
    return Outcome::Failed;
  audio.clear();

  // Build the new voice beside the live one while holding the staging area:
  // no other load can be adopted meanwhile, so the live slot stays as it is.
  StagedLoad load(engine);
  if (!load) return Outcome::Failed;
  VoiceSlot& staged = load->stagedSlot(voice);
  const bool stagedIsNewer = load->slotChange[voice] == PendingLoad::ReplaceContent;
  if (stagedIsNewer)
    copyVoiceSlotContent(*scratch, staged);
  else
    engine.copyLiveSlot(*scratch, voice);
  if (!readHarmonicBlock(stream, scratch->harmonics[multisample][layer]) ||
      !readNoiseBlock(stream, scratch->noise[multisample][layer]))
    return Outcome::Failed;
  stream.close();
  for (int l = 0; l < VoiceSlot::kLayers; ++l) scratch->harmonics[multisample][l].baseFrequency = root;

  // The host must still be able to save the instrument.
  const std::int64_t size =
      instrumentRecordSize(engine) - voiceRecordSize(engine.slot(voice)) + voiceRecordSize(*scratch);
  if (size > kLargestInstrumentRecord) {
    progress.reset();
    feedback.showMessage(kTooLargeMessage, kMessageTitle);
    return Outcome::TooLarge;
  }
  copyVoiceSlotContent(staged, *scratch);
  staged.prepare();
  load->slotChange[voice] = PendingLoad::ReplaceContent;
  if (progress) progress->setProgress(1.0);
  rootFrequency.store(root, std::memory_order_release);
  return Outcome::Loaded;
}

}  // namespace vt
