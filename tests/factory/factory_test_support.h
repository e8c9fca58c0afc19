// Shared pieces of the factory library tests: where the committed library is,
// its files, and rendering timed MIDI notes through an engine.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/synth_engine.h"

namespace vt::test {

inline std::filesystem::path factoryDataFolder() { return VT7000_FACTORY_DATA_DIR; }

// Every regular file under 'folder', relative with '/' separators, sorted.
inline std::vector<std::string> filesUnder(const std::filesystem::path& folder) {
  std::vector<std::string> files;
  std::error_code error;
  for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
       !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    if (it->is_regular_file()) files.push_back(std::filesystem::relative(it->path(), folder).generic_string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

inline bool endsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The file name without folder and extension.
inline std::string stem(const std::string& path) { return std::filesystem::path(path).stem().string(); }

struct NoteEvent {
  double seconds;
  int note;
  int velocity;  // 0 releases the note
};

struct Rendering {
  std::vector<float> left;
  std::vector<float> right;

  bool finite() const {
    for (std::size_t i = 0; i < left.size(); ++i)
      if (!std::isfinite(left[i]) || !std::isfinite(right[i])) return false;
    return true;
  }
  float peak() const {
    float p = 0.0f;
    for (std::size_t i = 0; i < left.size(); ++i) p = std::max({p, std::fabs(left[i]), std::fabs(right[i])});
    return p;
  }
  double rms() const {
    double sum = 0.0;
    for (std::size_t i = 0; i < left.size(); ++i) sum += double(left[i]) * left[i] + double(right[i]) * right[i];
    return left.empty() ? 0.0 : std::sqrt(sum / (2.0 * left.size()));
  }
  static double decibels(double level) { return 20.0 * std::log10(level + 1e-12); }
};

constexpr float kTestSampleRate = 44100.0f;
constexpr int kTestBlock = 512;

// Renders 'seconds' of the engine in host-sized blocks, queueing each event at its frame.
inline Rendering renderEvents(SynthEngine& engine, std::vector<NoteEvent> events, double seconds) {
  std::sort(events.begin(), events.end(), [](const NoteEvent& a, const NoteEvent& b) { return a.seconds < b.seconds; });
  const int frames = static_cast<int>(seconds * kTestSampleRate);
  Rendering out;
  out.left.assign(frames, 0.0f);
  out.right.assign(frames, 0.0f);
  std::size_t next = 0;
  for (int position = 0; position < frames; position += kTestBlock) {
    const int n = std::min(kTestBlock, frames - position);
    for (; next < events.size(); ++next) {
      const int frame = static_cast<int>(std::lround(events[next].seconds * kTestSampleRate));
      if (frame >= position + n) break;
      const NoteEvent& e = events[next];
      const std::uint8_t bytes[3] = {static_cast<std::uint8_t>(e.velocity > 0 ? 0x90 : 0x80),
                                     static_cast<std::uint8_t>(e.note), static_cast<std::uint8_t>(e.velocity)};
      engine.queueMessage(bytes, 3, std::max(0, frame - position));
    }
    engine.render(out.left.data() + position, out.right.data() + position, n);
  }
  return out;
}

// A held note from 'start' for 'length' seconds.
inline void addNote(std::vector<NoteEvent>& events, double start, double length, int note, int velocity) {
  events.push_back({start, note, velocity});
  events.push_back({start + length, note, 0});
}

}  // namespace vt::test
