// Builds Standard MIDI File images byte by byte for the reader's tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace vt::render::test {

using Bytes = std::vector<std::uint8_t>;

inline void appendBigEndian(Bytes& out, std::uint32_t value, int count) {
  for (int i = count - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

inline void appendVariableLength(Bytes& out, std::uint32_t value) {
  std::uint8_t groups[5];
  int count = 0;
  do {
    groups[count++] = value & 0x7F;
    value >>= 7;
  } while (value);
  while (count > 1) out.push_back(groups[--count] | 0x80);
  out.push_back(groups[0]);
}

// One track body: events appended as delta time plus raw bytes.
struct TrackBody {
  Bytes bytes;
  TrackBody& event(std::uint32_t delta, std::initializer_list<std::uint8_t> data) {
    appendVariableLength(bytes, delta);
    bytes.insert(bytes.end(), data);
    return *this;
  }
  TrackBody& tempo(std::uint32_t delta, std::uint32_t microsecondsPerQuarter) {
    return event(delta, {0xFF, 0x51, 0x03, static_cast<std::uint8_t>(microsecondsPerQuarter >> 16),
                         static_cast<std::uint8_t>(microsecondsPerQuarter >> 8),
                         static_cast<std::uint8_t>(microsecondsPerQuarter)});
  }
  TrackBody& end(std::uint32_t delta = 0) { return event(delta, {0xFF, 0x2F, 0x00}); }
};

inline Bytes chunk(const char* id, const Bytes& body) {
  Bytes out(id, id + 4);
  appendBigEndian(out, static_cast<std::uint32_t>(body.size()), 4);
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

inline Bytes smfFile(int format, int declaredTracks, int division, const std::vector<TrackBody>& tracks) {
  Bytes header;
  appendBigEndian(header, static_cast<std::uint32_t>(format), 2);
  appendBigEndian(header, static_cast<std::uint32_t>(declaredTracks), 2);
  appendBigEndian(header, static_cast<std::uint32_t>(division), 2);
  Bytes file = chunk("MThd", header);
  for (const TrackBody& track : tracks) {
    const Bytes c = chunk("MTrk", track.bytes);
    file.insert(file.end(), c.begin(), c.end());
  }
  return file;
}

}  // namespace vt::render::test
