// Where a render's stereo output goes, block by block.
#pragma once

#include <memory>
#include <string>

namespace vt::render {

class SampleSink {
public:
  virtual ~SampleSink() = default;
  // Appends 'frames' frames of the left and right channel.
  virtual bool write(const float* left, const float* right, int frames) = 0;
  // Completes the output (headers, flush). False if anything was lost.
  virtual bool close() = 0;
};

// Opens a stereo 32-bit float WAV file for writing: through libsndfile on
// Linux, through FloatWavWriter on Windows. Null, with 'error' set, on failure.
std::unique_ptr<SampleSink> openWavOutput(const std::string& path, int sampleRate, std::string& error);

}  // namespace vt::render
