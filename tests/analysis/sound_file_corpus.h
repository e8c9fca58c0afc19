// Test sound files written with libsndfile, chunks appended by hand, and a
// helper that reads a whole file through a SoundFileReader.
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "analysis/sound_file_reader.h"

namespace vt::test {

// Deterministic test signal in -1..1 with both extremes of PCM present.
inline std::vector<float> testSignal(int frames, int channels, std::uint32_t seed) {
  std::vector<float> samples(static_cast<std::size_t>(frames) * channels);
  std::uint32_t state = seed * 2654435761u + 12345u;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    state = state * 1664525u + 1013904223u;
    samples[i] = static_cast<float>(static_cast<double>(state >> 8) / 8388608.0 - 1.0) * 0.999f;
  }
  if (!samples.empty()) samples[0] = -1.0f;
  return samples;
}

// Writes 'samples' (interleaved) with libsndfile; a note above 0 is stored as
// the instrument base note (libsndfile writes it as a WAVE smpl chunk).
inline bool writeSoundFile(const std::string& path, int format, int channels, int rate,
                           const std::vector<float>& samples, int note = 0) {
  SF_INFO info;
  std::memset(&info, 0, sizeof info);
  info.samplerate = rate;
  info.channels = channels;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (file == nullptr) return false;
  if (note > 0) {
    SF_INSTRUMENT instrument;
    std::memset(&instrument, 0, sizeof instrument);
    instrument.basenote = static_cast<char>(note);
    instrument.gain = 1;
    instrument.velocity_hi = instrument.key_hi = 127;
    sf_command(file, SFC_SET_INSTRUMENT, &instrument, sizeof instrument);
  }
  const sf_count_t frames = static_cast<sf_count_t>(samples.size() / static_cast<std::size_t>(channels));
  const bool ok = sf_writef_float(file, samples.data(), frames) == frames;
  sf_close(file);
  return ok;
}

inline std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Appends a chunk (padded to an even length) to a RIFF, RIFX or FORM file and
// updates the container size.
inline void appendChunk(const std::string& path, const char* id, const std::string& payload) {
  std::string bytes = fileBytes(path);
  const bool little = bytes.compare(0, 4, "RIFF") == 0;
  auto put32 = [&](std::string& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>(little ? v >> (8 * i) : v >> (8 * (3 - i)));
  };
  const std::size_t at = bytes.size();
  bytes += std::string(id, 4) + std::string(4, '\0') + payload;
  put32(bytes, at + 4, static_cast<std::uint32_t>(payload.size()));
  if (payload.size() % 2 != 0) bytes += '\0';
  put32(bytes, 4, static_cast<std::uint32_t>(bytes.size() - 8));
  writeBytes(path, bytes);
}

// Reads every frame of an open reader in steps of 'step' frames; false when a
// read fails or delivers a sample outside -1..1.
inline bool readAll(analysis::SoundFileReader& reader, std::vector<float>& out, std::int64_t step = 4096) {
  const int channels = reader.info().channels;
  out.clear();
  std::vector<float> block(static_cast<std::size_t>(step) * channels);
  for (;;) {
    const std::int64_t got = reader.read(block.data(), step);
    if (got < 0) return false;
    if (got == 0) break;
    for (std::int64_t i = 0; i < got * channels; ++i) {
      if (!(block[i] >= -1.0f && block[i] <= 1.0f)) return false;
      out.push_back(block[i]);
    }
  }
  return true;
}

}  // namespace vt::test
