// One small interface for reading sound files: the container is decided from
// the header bytes, the sample data comes back as interleaved floats in -1..1.
// Every implementation accepts exactly the same files: RIFF/RIFX WAVE and
// AIFF holding PCM of 8, 16, 24 or 32 bits or IEEE floats of 32 or 64 bits
// (WAVE_FORMAT_EXTENSIBLE included). AIFF-C and every other encoding is
// refused, so a file that loads in one build loads in every build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace vt::analysis {

enum class SoundFileType { Unknown, Wave, Aiff, Aifc };

// The container named by the first 12 bytes of a file ("RIFF"/"RIFX" +
// "WAVE", "FORM" + "AIFF", "FORM" + "AIFC"); Unknown for anything else or
// fewer than 12 bytes.
SoundFileType detectSoundFileType(const std::uint8_t* header, std::size_t size);

// What an open file holds.
struct SoundFileInfo {
  SoundFileType type = SoundFileType::Unknown;
  int sampleRate = 0;       // Hz, whole number as the header gives it
  int channels = 0;         // 1..kMaxChannels
  std::int64_t frames = 0;  // frames of sample data present in the file
  int baseNote = 0;         // MIDI note 1..127 from a smpl/inst/INST chunk, 0 when none
};

class SoundFileReader {
public:
  static constexpr int kMaxChannels = 1024;

  virtual ~SoundFileReader() = default;

  // Opens a file for reading; false (and nothing open) when the file cannot be
  // read or is not one of the accepted formats. An open file is closed first.
  virtual bool open(const char* path) = 0;
  virtual void close() = 0;
  virtual bool isOpen() const = 0;

  // Reads up to 'frames' frames from the current position into 'interleaved'
  // (frames x channels floats, each finite and within -1..1). Returns the
  // number of frames read, 0 at the end of the data, -1 on a read failure.
  virtual std::int64_t read(float* interleaved, std::int64_t frames) = 0;

  const SoundFileInfo& info() const { return fileInfo; }

protected:
  SoundFileInfo fileInfo;
};

// The platform's reader: libsndfile where the build has it, otherwise our own
// WAVE/AIFF reader. Null only when memory runs out.
std::unique_ptr<SoundFileReader> createSoundFileReader();

// Limits a decoded sample to -1..1; NaN becomes 0.
inline float limitSample(float value) {
  if (value != value) return 0.0f;
  return value < -1.0f ? -1.0f : (value > 1.0f ? 1.0f : value);
}

}  // namespace vt::analysis
