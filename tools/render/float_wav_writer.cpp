#include "tools/render/float_wav_writer.h"

#include <cstring>

namespace vt::render {

namespace {

constexpr std::uint16_t kFormatIeeeFloat = 3;
constexpr std::uint32_t kFormatChunkBytes = 18;  // the 16 PCM fields and an empty extension size
constexpr std::uint32_t kFactChunkBytes = 4;
// The RIFF size field counts everything after itself in 32 bits.
constexpr std::uint64_t kMaxDataBytes = 0xFFFFFFFFull - (FloatWavWriter::kHeaderBytes - 8);

void put16(unsigned char*& p, std::uint16_t v) {
  *p++ = static_cast<unsigned char>(v);
  *p++ = static_cast<unsigned char>(v >> 8);
}

void put32(unsigned char*& p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) *p++ = static_cast<unsigned char>(v >> (8 * i));
}

void putTag(unsigned char*& p, const char* tag) {
  std::memcpy(p, tag, 4);
  p += 4;
}

// Little-endian bytes of a float, whatever the host's byte order.
void putFloat(unsigned char*& p, float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof(bits));
  put32(p, bits);
}

}  // namespace

FloatWavWriter::~FloatWavWriter() { close(); }

bool FloatWavWriter::open(const std::string& path, int sampleRate, std::string& error) {
  close();
  if (sampleRate <= 0) {
    error = "invalid sample rate";
    return false;
  }
  file = std::fopen(path.c_str(), "wb");
  if (!file) {
    error = "cannot create " + path;
    return false;
  }
  rate = sampleRate;
  frames = 0;
  failed = false;
  if (!writeHeader()) {
    error = "cannot write " + path;
    std::fclose(file);
    file = nullptr;
    return false;
  }
  return true;
}

bool FloatWavWriter::writeHeader() {
  const std::uint64_t dataBytes = frames * kChannels * kBytesPerSample;
  unsigned char header[kHeaderBytes];
  unsigned char* p = header;
  putTag(p, "RIFF");
  put32(p, static_cast<std::uint32_t>(kHeaderBytes - 8 + dataBytes));
  putTag(p, "WAVE");
  putTag(p, "fmt ");
  put32(p, kFormatChunkBytes);
  put16(p, kFormatIeeeFloat);
  put16(p, kChannels);
  put32(p, static_cast<std::uint32_t>(rate));
  put32(p, static_cast<std::uint32_t>(rate) * kChannels * kBytesPerSample);  // bytes per second
  put16(p, kChannels * kBytesPerSample);                                     // block align
  put16(p, 8 * kBytesPerSample);                                             // bits per sample
  put16(p, 0);                                                               // extension size
  putTag(p, "fact");
  put32(p, kFactChunkBytes);
  put32(p, static_cast<std::uint32_t>(frames));
  putTag(p, "data");
  put32(p, static_cast<std::uint32_t>(dataBytes));
  return std::fseek(file, 0, SEEK_SET) == 0 && std::fwrite(header, 1, sizeof(header), file) == sizeof(header);
}

bool FloatWavWriter::write(const float* left, const float* right, int count) {
  if (!file || failed) return false;
  if (count <= 0) return true;
  const std::uint64_t newBytes = static_cast<std::uint64_t>(count) * kChannels * kBytesPerSample;
  if (frames * kChannels * kBytesPerSample + newBytes > kMaxDataBytes) {
    failed = true;  // a WAV file cannot hold more than 4 GB
    return false;
  }
  scratch.resize(static_cast<std::size_t>(newBytes));
  unsigned char* p = scratch.data();
  for (int i = 0; i < count; ++i) {
    putFloat(p, left[i]);
    putFloat(p, right[i]);
  }
  if (std::fwrite(scratch.data(), 1, scratch.size(), file) != scratch.size()) {
    failed = true;
    return false;
  }
  frames += static_cast<std::uint64_t>(count);
  return true;
}

bool FloatWavWriter::close() {
  if (!file) return !failed;
  bool ok = !failed && writeHeader();
  if (std::fclose(file) != 0) ok = false;
  file = nullptr;
  failed = !ok;
  return ok;
}

}  // namespace vt::render
