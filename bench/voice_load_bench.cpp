// Loading a full voice (8 multisamples x 2 layers, 64 harmonics of 80 frames,
// 48 noise frames of 48 points) and a whole instrument of four such voices
// into the engine through its staging area, and writing the host chunk.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "engine/synth_engine.h"
#include "engine/voice_slot.h"
#include "engine/voice_slot_content.h"
#include "files/byte_stream.h"
#include "files/engine_loader.h"
#include "files/instrument_record.h"
#include "files/voice_record.h"

namespace {

constexpr int kFrames = 80;
constexpr int kNoiseFrames = 48;
constexpr int kNoisePoints = 48;

void fillFullVoice(vt::VoiceSlot& slot) {
  slot.rowCount = vt::VoiceSlot::kRows;
  slot.layerCount = vt::VoiceSlot::kLayers;
  for (int r = 0; r < vt::VoiceSlot::kRows; ++r) {
    for (int l = 0; l < vt::VoiceSlot::kLayers; ++l) {
      vt::HarmonicSet& set = slot.harmonics[r][l];
      set.baseFrequency = 55.0f * static_cast<float>(r + 1);
      for (int h = 0; h < vt::HarmonicSet::kHarmonics; ++h) {
        for (int i = 0; i < kFrames; ++i) {
          const float t = 0.02f * static_cast<float>(i);
          set.amplitude[h].add(t, 0.5f / static_cast<float>(h + 1) * (i + 1 < kFrames ? 1.0f : 0.0f));
          set.frequency[h].add(t, static_cast<float>(h + 1));
        }
      }
      vt::NoiseSet& noise = slot.noise[r][l];
      for (int f = 0; f < kNoiseFrames; ++f) {
        vt::NoiseFrame* frame = noise.appendFrame(0.03f * static_cast<float>(f));
        for (int i = 0; i < kNoisePoints; ++i)
          frame->spectrum.add(static_cast<float>(i + 1) / kNoisePoints, 0.01f * static_cast<float>(i % 7));
        frame->resample();
      }
    }
  }
  slot.prepare();
}

std::vector<std::uint8_t> record(const vt::SynthEngine& engine, bool instrument, int* size) {
  std::vector<std::uint8_t> bytes(vt::ByteStream::kCapacity);
  vt::ByteStream stream;
  stream.openMemoryForWriting(bytes.data(), vt::ByteStream::kCapacity);
  if (instrument)
    vt::writeInstrumentRecord(stream, engine);
  else
    vt::writeVoiceRecord(stream, engine.slot(0));
  *size = stream.getPosition();
  bytes.resize(static_cast<std::size_t>(*size));
  return bytes;
}

void BM_LoadFullVoice(benchmark::State& state) {
  auto engine = std::make_unique<vt::SynthEngine>();
  fillFullVoice(engine->slot(0));
  int size = 0;
  const std::vector<std::uint8_t> bytes = record(*engine, false, &size);
  for (auto _ : state) {
    vt::ByteStream stream;
    stream.openMemoryForReading(bytes.data(), size);
    benchmark::DoNotOptimize(vt::readVoiceInto(*engine, 1, stream));
  }
  state.counters["record_bytes"] = size;
}
BENCHMARK(BM_LoadFullVoice)->Unit(benchmark::kMillisecond);

void BM_WriteChunkOfFourFullVoices(benchmark::State& state) {
  auto engine = std::make_unique<vt::SynthEngine>();
  for (int s = 0; s < vt::kNumSlots; ++s) fillFullVoice(engine->slot(s));
  std::vector<std::uint8_t> buffer(vt::ByteStream::kCapacity);
  for (auto _ : state) {
    vt::ByteStream stream;
    stream.openMemoryForWriting(buffer.data());
    benchmark::DoNotOptimize(vt::writeInstrumentRecord(stream, *engine));
    state.counters["chunk_bytes"] = stream.getPosition();
  }
}
BENCHMARK(BM_WriteChunkOfFourFullVoices)->Unit(benchmark::kMillisecond);

// What the audio thread does when it adopts an instrument between two blocks:
// four content swaps and 173 parameter writes through the write path.
void BM_AdoptionOnTheAudioThread(benchmark::State& state) {
  auto engine = std::make_unique<vt::SynthEngine>();
  auto staged = std::make_unique<vt::VoiceSlot>();
  fillFullVoice(*staged);
  for (auto _ : state) {
    for (int s = 0; s < vt::kNumSlots; ++s) vt::swapVoiceSlotContent(engine->slot(s), *staged);
    for (int i = 0; i < vt::kNumHostParameters; ++i) engine->setParameter(i, engine->getParameter(i));
  }
}
BENCHMARK(BM_AdoptionOnTheAudioThread)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
