// A small WAV writer of our own: interleaved 32-bit IEEE float samples in a
// RIFF/WAVE file (format tag 3, with the 'fact' chunk that non-PCM data
// carries). Used where libsndfile is not available; its output is checked
// against libsndfile's reader.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/render/sample_sink.h"

namespace vt::render {

class FloatWavWriter : public SampleSink {
public:
  static constexpr int kChannels = 2;
  static constexpr int kBytesPerSample = 4;
  static constexpr std::uint32_t kHeaderBytes = 58;  // RIFF + fmt (18) + fact + data headers

  FloatWavWriter() = default;
  ~FloatWavWriter() override;

  // Creates the file and writes a header whose sizes are completed by close().
  bool open(const std::string& path, int sampleRate, std::string& error);
  bool write(const float* left, const float* right, int frames) override;
  bool close() override;

  std::uint64_t framesWritten() const { return frames; }

private:
  bool writeHeader();

  std::FILE* file = nullptr;
  int rate = 0;
  std::uint64_t frames = 0;
  bool failed = false;
  std::vector<unsigned char> scratch;
};

}  // namespace vt::render
