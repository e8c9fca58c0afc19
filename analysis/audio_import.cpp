#include "analysis/audio_import.h"

#include <cmath>
#include <new>

namespace vt::analysis {

namespace {

constexpr int kBlockSamples = 65536;  // interleaved samples read per step

// Walks the mono samples once and keeps what trimSilence, normalizePeak and
// limitLength would keep of the whole block.
class StreamingTrim {
public:
  StreamingTrim(float* kept, std::int64_t capacity) : kept(kept), capacity(capacity) {}

  void add(const float* mono, std::int64_t count) {
    for (std::int64_t i = 0; i < count; ++i, ++total) {
      const float x = mono[i];
      if (total == 0) first = x;
      if (!started && x != first) {
        started = true;
        start = total;
      }
      if (started) {
        if (keptCount < capacity) kept[keptCount++] = x;
        peak = std::fmax(peak, std::fabs(x));
      }
      if (x > kSilenceThreshold || x < -kSilenceThreshold) lastLoud = total;
    }
  }

  // The final block length after trimming and the length limit; the kept
  // samples are normalised in place.
  std::int64_t finish(double sampleRate) {
    if (total == 0) return 0;
    if (!started) {
      // All samples equal: nothing is cut at the start, and the end is the
      // last sample whether or not the value is loud.
      start = 0;
      peak = std::fabs(first);
      for (keptCount = 0; keptCount < capacity && keptCount < total; ++keptCount) kept[keptCount] = first;
    }
    // Past the last loud sample every value is quieter than it, so the peak
    // seen from the start on is the peak of the kept range.
    const std::int64_t end = lastLoud >= 0 ? lastLoud : total - 1;
    std::int64_t count = end >= start ? end - start + 1 : 0;
    count = limitedCount(count, sampleRate);
    if (count > keptCount) count = keptCount;
    gainApplied = 1.0f;
    if (count > 0 && peak > 0.0f) {
      const float factor = kNormalPeak / peak;
      for (std::int64_t i = 0; i < count; ++i) kept[i] *= factor;
      gainApplied = factor;
    }
    return count;
  }

  std::int64_t startCut() const { return start; }
  std::int64_t samplesSeen() const { return total; }
  float gain() const { return gainApplied; }

private:
  float* kept;
  std::int64_t capacity;
  std::int64_t keptCount = 0;
  std::int64_t total = 0;
  std::int64_t start = 0;
  std::int64_t lastLoud = -1;
  float first = 0.0f;
  float peak = 0.0f;
  float gainApplied = 1.0f;
  bool started = false;
};

bool readInto(SoundFileReader& reader, ImportedAudio& audio) {
  const SoundFileInfo& info = reader.info();
  if (info.type != SoundFileType::Wave && info.type != SoundFileType::Aiff) return false;
  if (info.sampleRate < kMinImportRate || info.sampleRate > kMaxImportRate) return false;
  if (info.channels < 1 || info.channels > SoundFileReader::kMaxChannels || info.frames < 0) return false;
  audio.sampleRate = static_cast<float>(info.sampleRate);
  audio.baseNote = info.baseNote != 0 ? info.baseNote : -1;

  // Nothing past 12 s after the start is ever kept, and the block holds at most
  // one sample per frame.
  std::int64_t capacity = static_cast<std::int64_t>(static_cast<double>(info.sampleRate) * kMaxImportSeconds);
  if (capacity > info.frames) capacity = info.frames;
  if (capacity > 0) {
    audio.samples.reset(new (std::nothrow) float[static_cast<std::size_t>(capacity)]);
    if (audio.samples == nullptr) return false;
  }
  const std::int64_t blockFrames = kBlockSamples / info.channels > 0 ? kBlockSamples / info.channels : 1;
  std::unique_ptr<float[]> interleaved(
      new (std::nothrow) float[static_cast<std::size_t>(blockFrames) * static_cast<std::size_t>(info.channels)]);
  std::unique_ptr<float[]> mono(new (std::nothrow) float[static_cast<std::size_t>(blockFrames)]);
  if (interleaved == nullptr || mono == nullptr) return false;

  StreamingTrim trim(audio.samples.get(), capacity);
  for (std::int64_t remaining = info.frames; remaining > 0;) {
    const std::int64_t got = reader.read(interleaved.get(), remaining < blockFrames ? remaining : blockFrames);
    if (got < 0) return false;
    if (got == 0) break;
    mixDownFrames(interleaved.get(), got, info.channels, mono.get());
    trim.add(mono.get(), got);
    remaining -= got;
  }
  audio.count = static_cast<int>(trim.finish(static_cast<double>(audio.sampleRate)));
  audio.trimmedStart = trim.startCut();
  audio.gain = trim.gain();
  audio.sourceCount = trim.samplesSeen();
  return true;
}

}  // namespace

bool importOpenedAudio(SoundFileReader& reader, ImportedAudio& audio) {
  audio.clear();
  const bool ok = reader.isOpen() && readInto(reader, audio);
  if (!ok) audio.clear();
  return ok;
}

bool importAudioFile(SoundFileReader& reader, const char* path, ImportedAudio& audio) {
  audio.clear();
  if (!reader.open(path)) return false;
  const bool ok = importOpenedAudio(reader, audio);
  reader.close();
  return ok;
}

bool importAudioFile(const char* path, ImportedAudio& audio) {
  audio.clear();
  const std::unique_ptr<SoundFileReader> reader = createSoundFileReader();
  return reader != nullptr && importAudioFile(*reader, path, audio);
}

}  // namespace vt::analysis
