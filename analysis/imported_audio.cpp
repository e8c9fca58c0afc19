#include "analysis/imported_audio.h"

#include <cmath>
#include <cstring>

namespace vt::analysis {

void mixDownFrames(const float* interleaved, std::int64_t frames, int channels, float* mono) {
  if (channels == 1) {
    std::memcpy(mono, interleaved, static_cast<std::size_t>(frames) * sizeof(float));
    return;
  }
  const float scale = 1.0f / static_cast<float>(channels);
  for (std::int64_t f = 0; f < frames; ++f) {
    float sum = 0.0f;
    for (int c = 0; c < channels; ++c) sum += *interleaved++;
    mono[f] = sum * scale;
  }
}

void trimSilence(ImportedAudio& audio, float threshold) {
  const int count = audio.count;
  if (count <= 0 || audio.samples == nullptr) return;
  float* s = audio.samples.get();
  int start = 0;
  for (int i = 1; i < count; ++i) {
    if (s[i] != s[0]) {
      start = i;
      break;
    }
  }
  int end = count - 1;
  for (int i = count - 1; i >= 0; --i) {
    if (s[i] > threshold || s[i] < -threshold) {
      end = i;
      break;
    }
  }
  const int kept = end >= start ? end - start + 1 : 0;
  if (kept > 0 && start > 0) std::memmove(s, s + start, static_cast<std::size_t>(kept) * sizeof(float));
  audio.count = kept;
  audio.trimmedStart += start;
}

void normalizePeak(ImportedAudio& audio, float target) {
  if (audio.count <= 0 || audio.samples == nullptr) return;
  float* s = audio.samples.get();
  float peak = 0.0f;
  for (int i = 0; i < audio.count; ++i) peak = std::fmax(peak, std::fabs(s[i]));
  if (!(peak > 0.0f)) return;
  const float factor = target / peak;
  for (int i = 0; i < audio.count; ++i) s[i] *= factor;
  audio.gain *= factor;
}

std::int64_t limitedCount(std::int64_t count, double sampleRate, double seconds) {
  if (!(sampleRate > 0.0) || static_cast<double>(count) / sampleRate <= seconds) return count;
  return static_cast<std::int64_t>(sampleRate * seconds);
}

void limitLength(ImportedAudio& audio, double seconds) {
  if (audio.count <= 0) return;
  audio.count = static_cast<int>(limitedCount(audio.count, audio.sampleRate, seconds));
}

}  // namespace vt::analysis
