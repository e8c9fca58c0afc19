// Our own reader of RIFF/RIFX WAVE and AIFF files (the reader of builds
// without libsndfile, built and tested everywhere). It reads only inside the
// file, follows chunk padding, checks every size against the file and decodes
// through one fixed-size buffer.
#pragma once

#include <cstdint>
#include <memory>

#include "analysis/byte_source.h"
#include "analysis/sound_file_header.h"
#include "analysis/sound_file_reader.h"

namespace vt::analysis {

class WaveAiffReader : public SoundFileReader {
public:
  static constexpr std::size_t kBufferBytes = 64 * 1024;

  WaveAiffReader();
  ~WaveAiffReader() override;

  bool open(const char* path) override;
  // Reads a file held in memory ('data' must outlive the reader).
  bool openMemory(const std::uint8_t* data, std::size_t size);
  void close() override;
  bool isOpen() const override { return opened; }
  std::int64_t read(float* interleaved, std::int64_t frames) override;

  // The header of the last file opened (the type stays set after a refusal).
  const SoundFileHeader& header() const { return fileHeader; }

private:
  bool start();

  ByteSource source;
  SoundFileHeader fileHeader;
  std::unique_ptr<std::uint8_t[]> buffer;
  std::int64_t nextFrame = 0;
  bool opened = false;
};

}  // namespace vt::analysis
