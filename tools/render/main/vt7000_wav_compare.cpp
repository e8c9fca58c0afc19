// vt7000-wav-compare: compares two WAV files sample by sample.
//   vt7000-wav-compare A.wav B.wav [TOLERANCE]
// Prints whether they are sample-exact or the largest difference, and exits 0
// when rate, channels and length agree and no sample differs by more than
// TOLERANCE (default 0: sample-exact).
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kExitDifferent = 1;
constexpr int kExitUsage = 2;
constexpr sf_count_t kChunkFrames = 65536;

struct OpenFile {
  SNDFILE* file = nullptr;
  SF_INFO info{};
  ~OpenFile() {
    if (file) sf_close(file);
  }
};

bool openFile(const char* path, OpenFile& f) {
  f.file = sf_open(path, SFM_READ, &f.info);
  if (!f.file) std::fprintf(stderr, "vt7000-wav-compare: cannot read %s: %s\n", path, sf_strerror(nullptr));
  return f.file != nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: vt7000-wav-compare A.wav B.wav [TOLERANCE]\n");
    return kExitUsage;
  }
  double tolerance = 0.0;
  if (argc == 4) {
    char* end = nullptr;
    tolerance = std::strtod(argv[3], &end);
    if (*end != '\0' || !(tolerance >= 0.0)) {
      std::fprintf(stderr, "vt7000-wav-compare: invalid tolerance %s\n", argv[3]);
      return kExitUsage;
    }
  }
  OpenFile a, b;
  if (!openFile(argv[1], a) || !openFile(argv[2], b)) return kExitUsage;
  if (a.info.samplerate != b.info.samplerate || a.info.channels != b.info.channels || a.info.frames != b.info.frames) {
    std::printf("different shape: %d Hz %d ch %lld frames vs %d Hz %d ch %lld frames\n", a.info.samplerate,
                a.info.channels, static_cast<long long>(a.info.frames), b.info.samplerate, b.info.channels,
                static_cast<long long>(b.info.frames));
    return kExitDifferent;
  }
  const int channels = a.info.channels;
  std::vector<float> bufferA(static_cast<std::size_t>(kChunkFrames * channels));
  std::vector<float> bufferB(bufferA.size());
  double largest = 0.0;
  long long firstDifference = -1, differing = 0, position = 0;
  bool nonFinite = false;
  for (;;) {
    const sf_count_t gotA = sf_readf_float(a.file, bufferA.data(), kChunkFrames);
    const sf_count_t gotB = sf_readf_float(b.file, bufferB.data(), kChunkFrames);
    if (gotA != gotB) {
      std::printf("read error\n");
      return kExitDifferent;
    }
    if (gotA <= 0) break;
    for (sf_count_t i = 0; i < gotA * channels; ++i) {
      const float x = bufferA[static_cast<std::size_t>(i)], y = bufferB[static_cast<std::size_t>(i)];
      if (!std::isfinite(x) || !std::isfinite(y)) nonFinite = true;
      if (x == y) continue;
      const double difference = std::fabs(static_cast<double>(x) - y);
      if (firstDifference < 0) firstDifference = position + i / channels;
      ++differing;
      if (!(difference <= largest)) largest = difference;
    }
    position += gotA;
  }
  if (nonFinite) {
    std::printf("non-finite samples present\n");
    return kExitDifferent;
  }
  if (differing == 0) {
    std::printf("sample-exact: %lld frames, %d channels\n", position, channels);
    return 0;
  }
  std::printf("%lld samples differ (first at frame %lld), largest difference %.3g (tolerance %.3g)\n", differing,
              firstDifference, largest, tolerance);
  return largest <= tolerance ? 0 : kExitDifferent;
}
