// The sound file reader of builds that link libsndfile. The container is
// still decided from the header bytes (libsndfile names AIFF-C files AIFF),
// and a file is accepted only when our own header walk accepts it as well and
// libsndfile decodes one of the sample formats our own reader decodes.
#pragma once

#include <cstdint>

#include "analysis/byte_source.h"
#include "analysis/sound_file_reader.h"

struct sf_private_tag;  // libsndfile's SNDFILE

namespace vt::analysis {

class LibsndfileReader : public SoundFileReader {
public:
  LibsndfileReader() = default;
  ~LibsndfileReader() override;
  LibsndfileReader(const LibsndfileReader&) = delete;
  LibsndfileReader& operator=(const LibsndfileReader&) = delete;

  bool open(const char* path) override;
  void close() override;
  bool isOpen() const override { return file != nullptr; }
  std::int64_t read(float* interleaved, std::int64_t frames) override;

  // The byte source and the position libsndfile reads it from.
  struct Cursor {
    ByteSource source;
    std::int64_t position = 0;
  };

private:
  Cursor cursor;
  sf_private_tag* file = nullptr;
  std::int64_t remainingFrames = 0;
};

}  // namespace vt::analysis
