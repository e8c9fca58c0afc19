// Importing a 12-second stereo 24-bit 44.1 kHz WAV for analysis (read, mix to
// mono, trim, normalise, limit) with the platform's reader (libsndfile here)
// and with our own WAVE/AIFF reader. Target: at most 0.05 s per import.
#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "analysis/audio_import.h"
#include "analysis/wave_aiff_reader.h"
#include "bench/bench_support.h"

namespace {

constexpr int kRate = 44100;
constexpr int kSeconds = 12;
constexpr double kTargetSeconds = 0.05;

std::string testFile() {
  static const std::string path = [] {
    const std::string p = (std::filesystem::temp_directory_path() / "vt7000_import_bench.wav").string();
    const int frames = kRate * kSeconds;
    std::vector<float> stereo(2 * static_cast<std::size_t>(frames));
    for (int i = 0; i < frames; ++i) {
      const double t = static_cast<double>(i) / kRate;
      const double level = t < 0.05 ? 0.0 : 0.8 * std::exp(-0.15 * t);
      double left = 0.0, right = 0.0;
      for (int h = 1; h <= 8; ++h) {
        left += level / h * std::sin(2.0 * M_PI * 110.0 * h * t);
        right += level / h * std::sin(2.0 * M_PI * 110.0 * h * t + 0.3 * h);
      }
      stereo[2 * i] = static_cast<float>(0.5 * left);
      stereo[2 * i + 1] = static_cast<float>(0.5 * right);
    }
    SF_INFO info;
    std::memset(&info, 0, sizeof info);
    info.samplerate = kRate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
    SNDFILE* file = sf_open(p.c_str(), SFM_WRITE, &info);
    if (file != nullptr) {
      sf_writef_float(file, stereo.data(), frames);
      sf_close(file);
    }
    return p;
  }();
  return path;
}

template <typename Import>
void timeImports(benchmark::State& state, Import import) {
  const std::string path = testFile();
  double total = 0.0;
  int kept = 0;
  for (auto _ : state) {
    vt::analysis::ImportedAudio audio;
    const auto start = std::chrono::steady_clock::now();
    const bool ok = import(path, audio);
    total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!ok) state.SkipWithError("import failed");
    kept = audio.count;
    benchmark::DoNotOptimize(audio.samples.get());
  }
  state.counters["seconds"] = state.iterations() > 0 ? total / static_cast<double>(state.iterations()) : 0.0;
  state.counters["samples"] = kept;
}

void BM_ImportPlatformReader(benchmark::State& state) {
  timeImports(state, [](const std::string& p, vt::analysis::ImportedAudio& a) {
    return vt::analysis::importAudioFile(p.c_str(), a);
  });
}
BENCHMARK(BM_ImportPlatformReader)->Unit(benchmark::kMillisecond);

void BM_ImportOwnReader(benchmark::State& state) {
  vt::analysis::WaveAiffReader reader;
  timeImports(state, [&reader](const std::string& p, vt::analysis::ImportedAudio& a) {
    return vt::analysis::importAudioFile(reader, p.c_str(), a);
  });
}
BENCHMARK(BM_ImportOwnReader)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  vt::bench::SummaryReporter reporter;
  if (!vt::bench::runBenchmarks(argc, argv, reporter)) return 1;
  std::printf("\nimport of a %d s stereo 24-bit %d Hz WAV (target <= %.3f s)\n", kSeconds, kRate, kTargetSeconds);
  for (const char* run : {"BM_ImportPlatformReader", "BM_ImportOwnReader"}) {
    const double seconds = reporter.get(run, "seconds");
    std::printf("import %-28s %.4f s  %s\n", run + 3, seconds, seconds <= kTargetSeconds ? "ok" : "SLOW");
  }
  std::error_code ignored;
  std::filesystem::remove(testFile(), ignored);
  return 0;
}
