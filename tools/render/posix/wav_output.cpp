// WAV output through libsndfile.
#include <sndfile.h>

#include <vector>

#include "tools/render/sample_sink.h"

namespace vt::render {

namespace {

class SndfileWavWriter : public SampleSink {
public:
  explicit SndfileWavWriter(SNDFILE* file) : file(file) {}
  ~SndfileWavWriter() override { close(); }

  bool write(const float* left, const float* right, int frames) override {
    if (!file || failed) return false;
    if (frames <= 0) return true;
    interleaved.resize(static_cast<std::size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i) {
      interleaved[2 * i] = left[i];
      interleaved[2 * i + 1] = right[i];
    }
    if (sf_writef_float(file, interleaved.data(), frames) != frames) failed = true;
    return !failed;
  }

  bool close() override {
    if (file && sf_close(file) != 0) failed = true;
    file = nullptr;
    return !failed;
  }

private:
  SNDFILE* file;
  bool failed = false;
  std::vector<float> interleaved;
};

}  // namespace

std::unique_ptr<SampleSink> openWavOutput(const std::string& path, int sampleRate, std::string& error) {
  SF_INFO info{};
  info.samplerate = sampleRate;
  info.channels = 2;
  info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) {
    error = "cannot create " + path + ": " + sf_strerror(nullptr);
    return nullptr;
  }
  return std::make_unique<SndfileWavWriter>(file);
}

}  // namespace vt::render
