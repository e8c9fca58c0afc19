// libFuzzer target: a sound file read by our own WAVE/AIFF reader, first
// frame by frame in uneven steps, then once more through the one-pass import.
#include <cstdint>
#include <vector>

#include "analysis/audio_import.h"
#include "analysis/wave_aiff_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static vt::analysis::WaveAiffReader* reader = new vt::analysis::WaveAiffReader();
  if (!reader->openMemory(data, size)) return 0;
  const int channels = reader->info().channels;
  std::vector<float> block(static_cast<std::size_t>(channels) * 128);  // steps run from 1 to 109 frames
  std::int64_t frames = 0;
  for (std::int64_t step = 1;; step = step % 97 + 13) {
    const std::int64_t got = reader->read(block.data(), step);
    if (got <= 0) break;
    frames += got;
    for (std::int64_t i = 0; i < got * channels; ++i)
      if (!(block[i] >= -1.0f && block[i] <= 1.0f)) __builtin_trap();
  }
  if (frames != reader->info().frames) __builtin_trap();
  reader->close();

  if (reader->openMemory(data, size)) {
    vt::analysis::ImportedAudio audio;
    vt::analysis::importOpenedAudio(*reader, audio);
    if (audio.count < 0) __builtin_trap();
    reader->close();
  }
  return 0;
}
