// WAV output through our own writer: there is no libsndfile for Windows here.
#include "tools/render/float_wav_writer.h"
#include "tools/render/sample_sink.h"

namespace vt::render {

std::unique_ptr<SampleSink> openWavOutput(const std::string& path, int sampleRate, std::string& error) {
  auto writer = std::make_unique<FloatWavWriter>();
  if (!writer->open(path, sampleRate, error)) return nullptr;
  return writer;
}

}  // namespace vt::render
