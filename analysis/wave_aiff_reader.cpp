#include "analysis/wave_aiff_reader.h"

#include <cstring>
#include <new>

#include "analysis/byte_order.h"

namespace vt::analysis {

namespace {

constexpr float kScale8 = 1.0f / 128.0f;
constexpr float kScale16 = 1.0f / 32768.0f;
constexpr float kScale32 = 1.0f / 2147483648.0f;

// Integer samples scale by 2^-(bits - 1) as a left-aligned 32-bit value, so
// the smallest code maps to exactly -1.
void decodeIntegers(const std::uint8_t* in, std::size_t count, const SoundFileHeader& h, float* out) {
  const bool big = h.bigEndian;
  switch (h.bytesPerSample) {
    case 1:
      for (std::size_t i = 0; i < count; ++i) {
        const int value = h.encoding == SampleEncoding::UnsignedInt ? static_cast<int>(in[i]) - 128
                                                                    : static_cast<int>(static_cast<std::int8_t>(in[i]));
        out[i] = static_cast<float>(value) * kScale8;
      }
      break;
    case 2:
      for (std::size_t i = 0; i < count; ++i, in += 2) {
        const auto value = static_cast<std::int16_t>(big ? (in[0] << 8 | in[1]) : (in[1] << 8 | in[0]));
        out[i] = static_cast<float>(value) * kScale16;
      }
      break;
    case 3:
      for (std::size_t i = 0; i < count; ++i, in += 3) {
        const std::uint32_t bits =
            big ? (std::uint32_t{in[0]} << 24 | std::uint32_t{in[1]} << 16 | std::uint32_t{in[2]} << 8)
                : (std::uint32_t{in[2]} << 24 | std::uint32_t{in[1]} << 16 | std::uint32_t{in[0]} << 8);
        out[i] = static_cast<float>(static_cast<std::int32_t>(bits)) * kScale32;
      }
      break;
    default:
      for (std::size_t i = 0; i < count; ++i, in += 4)
        out[i] = static_cast<float>(static_cast<std::int32_t>(loadUint32(in, big))) * kScale32;
      break;
  }
}

void decodeFloats(const std::uint8_t* in, std::size_t count, const SoundFileHeader& h, float* out) {
  if (h.bytesPerSample == 4) {
    for (std::size_t i = 0; i < count; ++i, in += 4) {
      const std::uint32_t bits = loadUint32(in, h.bigEndian);
      float value;
      std::memcpy(&value, &bits, sizeof value);
      out[i] = limitSample(value);
    }
  } else {
    for (std::size_t i = 0; i < count; ++i, in += 8) {
      const std::uint64_t bits = loadUint64(in, h.bigEndian);
      double value;
      std::memcpy(&value, &bits, sizeof value);
      out[i] = limitSample(static_cast<float>(value));
    }
  }
}

}  // namespace

WaveAiffReader::WaveAiffReader() : buffer(new (std::nothrow) std::uint8_t[kBufferBytes]) {}

WaveAiffReader::~WaveAiffReader() = default;

bool WaveAiffReader::open(const char* path) {
  close();
  return source.openFile(path) && start();
}

bool WaveAiffReader::openMemory(const std::uint8_t* data, std::size_t size) {
  close();
  source.openMemory(data, size);
  return start();
}

bool WaveAiffReader::start() {
  if (buffer == nullptr || !parseSoundFileHeader(source, fileHeader)) {
    source.close();
    return false;
  }
  fileInfo.type = fileHeader.type;
  fileInfo.sampleRate = fileHeader.sampleRate;
  fileInfo.channels = fileHeader.channels;
  fileInfo.frames = fileHeader.frames;
  fileInfo.baseNote = fileHeader.baseNote();
  nextFrame = 0;
  opened = true;
  return true;
}

void WaveAiffReader::close() {
  source.close();
  fileInfo = SoundFileInfo();
  nextFrame = 0;
  opened = false;
}

std::int64_t WaveAiffReader::read(float* interleaved, std::int64_t frames) {
  if (!opened || interleaved == nullptr || frames < 0) return -1;
  const std::int64_t remaining = fileHeader.frames - nextFrame;
  if (frames > remaining) frames = remaining;
  const std::size_t frameBytes = static_cast<std::size_t>(fileHeader.frameBytes());
  const std::int64_t framesPerBuffer = static_cast<std::int64_t>(kBufferBytes / frameBytes);
  const std::size_t channels = static_cast<std::size_t>(fileHeader.channels);
  std::int64_t done = 0;
  while (done < frames) {
    const std::int64_t step = frames - done < framesPerBuffer ? frames - done : framesPerBuffer;
    const std::size_t bytes = static_cast<std::size_t>(step) * frameBytes;
    const std::uint64_t offset = fileHeader.dataOffset + static_cast<std::uint64_t>(nextFrame) * frameBytes;
    if (!source.read(offset, buffer.get(), bytes)) return -1;
    float* out = interleaved + static_cast<std::size_t>(done) * channels;
    const std::size_t samples = static_cast<std::size_t>(step) * channels;
    if (fileHeader.encoding == SampleEncoding::Float)
      decodeFloats(buffer.get(), samples, fileHeader, out);
    else
      decodeIntegers(buffer.get(), samples, fileHeader, out);
    nextFrame += step;
    done += step;
  }
  return done;
}

}  // namespace vt::analysis
