// Analysis of a recording into voice data, per stage and in total, on one
// core: the longest harmonic sound the import keeps (12 s at 110 Hz, 64
// harmonics, noise at -60 dB), a short plucked note (3 s at 440 Hz), and a
// noisy sound whose tracking reaches the cell budget. Each case runs a few
// times and the fastest run is reported (thread CPU time), with the targets
// where there are any. With recordings named on the command line it times
// those instead (see corpus()).
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "analysis/analyze_audio_file.h"
#include "analysis/audio_import.h"
#include "analysis/root_frequency.h"
#include "analysis/voice_data_writer.h"
#include "files/byte_stream.h"

namespace {

// CPU time of this thread: the figures stay meaningful on a busy machine,
// where wall-clock time would count other programs' turns too.
struct Clock {
  using time_point = double;
  static time_point now() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + 1e-9 * static_cast<double>(ts.tv_nsec);
  }
};
constexpr double kPi = 3.14159265358979323846;
constexpr double kRate = 44100.0;
constexpr int kRuns = 3;

// Progress marks of the analysis and the stages they end.
const char* const kStages[] = {"Hann spectra",     "first tracking",     "resynthesis", "second tracking + assignment",
                               "residual + noise", "envelope reduction", "writing"};
constexpr int kStageCount = 7;

std::vector<float> normalised(std::vector<double> x) {
  double peak = 0.0;
  for (double v : x) peak = std::max(peak, std::fabs(v));
  std::vector<float> out(x.size());
  for (std::size_t i = 0; i < x.size(); ++i) out[i] = static_cast<float>(peak > 0.0 ? x[i] / peak : 0.0);
  return out;
}

// 'harmonics' partials of f0 with amplitudes 1/h, a decay rate per second for
// harmonic h of decay * h (0: steady), and Gaussian noise at 'noiseDb' below
// the first harmonic.
std::vector<float> tone(double f0, int harmonics, double seconds, double decay, double noiseDb, unsigned seed) {
  const int n = static_cast<int>(seconds * kRate);
  std::vector<double> x(static_cast<std::size_t>(n), 0.0);
  for (int h = 1; h <= harmonics && h * f0 < 0.45 * kRate; ++h) {
    const double w = 2.0 * kPi * h * f0 / kRate;
    const double d = std::exp(-decay * h / kRate);
    double a = 1.0 / h;
    for (int i = 0; i < n; ++i, a *= d) x[static_cast<std::size_t>(i)] += a * std::sin(w * i + h);
  }
  std::mt19937 rng(seed);
  std::normal_distribution<double> g(0.0, std::pow(10.0, noiseDb / 20.0));
  for (double& v : x) v += g(rng);
  return normalised(std::move(x));
}

struct Timing {
  double stage[kStageCount] = {};
  double total = 0.0;
  bool budget = false;
  int harmonicBreakpoints = 0, noiseBreakpoints = 0;
};

Timing analyseOnce(const std::vector<float>& x, double f0) {
  Timing t;
  const Clock::time_point start = Clock::now();
  Clock::time_point last = start;
  int next = 0;
  const double marks[] = {0.15, 0.35, 0.55, 0.8, 1.0};
  auto seconds = [](Clock::time_point a, Clock::time_point b) { return b - a; };
  // analyzeVoiceData reports the analysis as 0 .. 0.9 of its work.
  auto progress = [&](double share) {
    while (next < 5 && share >= 0.9 * marks[next] - 1e-9) {
      const Clock::time_point now = Clock::now();
      t.stage[next++] += seconds(last, now);
      last = now;
    }
  };
  vt::analysis::VoiceData data =
      vt::analysis::analyzeVoiceData(x.data(), static_cast<int>(x.size()), kRate, f0, progress);
  Clock::time_point now = Clock::now();
  t.stage[5] = seconds(last, now);  // from the end of the noise analysis: the two reductions
  last = now;
  std::vector<std::uint8_t> buffer(vt::ByteStream::kCapacity);
  vt::ByteStream stream;
  stream.openMemoryForWriting(buffer.data(), vt::ByteStream::kCapacity);
  vt::analysis::writeVoiceData(stream, f0, data.harmonics.frequency, data.harmonics.amplitude, data.noise);
  stream.close();
  now = Clock::now();
  t.stage[6] = seconds(last, now);
  t.total = seconds(start, now);
  t.budget = data.trackBudgetReached;
  t.harmonicBreakpoints = data.harmonicBreakpoints();
  t.noiseBreakpoints = data.noiseBreakpoints();
  return t;
}

void report(const char* name, const std::vector<float>& x, double f0, double target) {
  Timing best;
  best.total = 1e300;
  for (int r = 0; r < kRuns; ++r) {
    const Timing t = analyseOnce(x, f0);
    if (t.total < best.total) best = t;
  }
  const double seconds = x.size() / kRate;
  std::printf("%s (%.1f s of sound)\n", name, seconds);
  for (int s = 0; s < kStageCount; ++s) std::printf("  %-30s %8.4f s\n", kStages[s], best.stage[s]);
  std::printf("  %-30s %8.4f s  (%.4f s per second of sound)", "total", best.total, best.total / seconds);
  if (target > 0.0)
    std::printf("  target %.3f s: %s\n", target, best.total <= target ? "met" : "MISSED");
  else
    std::printf("\n");
  std::printf("  track budget reached: %s; breakpoints %d/%d\n\n", best.budget ? "yes" : "no", best.harmonicBreakpoints,
              best.noiseBreakpoints);
}

}  // namespace

// Recordings named on the command line (a corpus of notes): the analysis time
// of each per second of its sound, and the median over all of them.
int corpus(int count, char** paths) {
  std::vector<double> perSecond;
  for (int i = 0; i < count; ++i) {
    vt::analysis::ImportedAudio audio;
    if (!vt::analysis::importAudioFile(paths[i], audio) || audio.count == 0) {
      std::printf("%s: cannot be read\n", paths[i]);
      continue;
    }
    const double f0 = vt::analysis::rootFrequencyFor(audio, paths[i]);
    std::vector<float> x(audio.samples.get(), audio.samples.get() + audio.count);
    double best = 1e300;
    for (int r = 0; r < kRuns; ++r) {
      const Clock::time_point start = Clock::now();
      vt::analysis::analyzeVoiceData(x.data(), audio.count, audio.sampleRate, f0);
      best = std::min(best, Clock::now() - start);
    }
    const double seconds = audio.count / static_cast<double>(audio.sampleRate);
    perSecond.push_back(best / seconds);
    std::printf("%s: %.2f s of sound at %.1f Hz, %.4f s (%.4f s per second)\n", paths[i], seconds, f0, best,
                best / seconds);
  }
  if (perSecond.empty()) return 1;
  std::sort(perSecond.begin(), perSecond.end());
  const std::size_t n = perSecond.size();
  const double median = n % 2 ? perSecond[n / 2] : 0.5 * (perSecond[n / 2 - 1] + perSecond[n / 2]);
  std::printf("median over %zu recordings: %.4f s per second of sound (target 0.036): %s\n", n, median,
              median <= 0.036 ? "met" : "MISSED");
  return 0;
}

int main(int argc, char** argv) {
  if (argc > 1) return corpus(argc - 1, argv + 1);
  report("12 s tone at 110 Hz, 64 harmonics, noise at -60 dB", tone(110.0, 64, 12.0, 0.0, -60.0, 1), 110.0, 0.6);
  report("3 s plucked note at 440 Hz", tone(440.0, 30, 3.0, 0.8, -70.0, 2), 440.0, 0.1);
  // Loud noise under a middle note: short frames, noise peaks up to 16 kHz in
  // every frame, so tracks are born all the time and the tracking passes run
  // into their cell budget (maxBin is halved until the first pass fits).
  report("12 s noisy note at 262 Hz (noise at -6 dB)", tone(262.0, 20, 12.0, 0.0, -6.0, 3), 262.0, 0.0);
  return 0;
}
