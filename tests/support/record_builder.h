// Builds byte records the way the file formats lay them out, independently of
// the product's writers: little-endian 32-bit words, zero-terminated strings
// and breakpoint lists, plus whole harmonic blocks, noise blocks, voice records
// and instrument records with simple recognisable content. Every element's
// end offset can be remembered, so tests can cut a record at each boundary.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vt::test {

struct Curve {
  std::vector<float> x;
  std::vector<float> y;
};

class RecordBuilder {
public:
  RecordBuilder& int32(std::int32_t value);
  RecordBuilder& float32(float value);
  RecordBuilder& string(const std::string& text);
  RecordBuilder& curve(const Curve& c);
  RecordBuilder& bytes(const std::vector<std::uint8_t>& more);

  // One harmonic block whose harmonic 1 has the given amplitude and ratio at
  // times 0, 0.5, 1 (every other harmonic empty).
  RecordBuilder& harmonicBlock(float baseFrequency, float amplitude, float ratio = 1.0f);
  // One noise block of 'frames' frames at 0.1 s spacing, each spectrum flat at 'level'.
  RecordBuilder& noiseBlock(int frames, float level);
  // A voice record: header, then rows x layers of (harmonic block, noise block)
  // with amplitude 'level' (plus 0.01 per row and 0.001 per layer).
  RecordBuilder& voice(const std::string& name, int rows, int layers, float level, std::int32_t version = 65538);

  // Remembers the current size as the end of an element.
  RecordBuilder& mark() {
    boundaries.push_back(data.size());
    return *this;
  }

  std::vector<std::uint8_t> data;
  std::vector<std::size_t> boundaries;
};

// An instrument record of the current layout: name, parameterCount and the
// given parameters, harmonic pair, four voices (named A..D + suffix), formant
// curve, reserved fields, then the noise and amplitude pairs unless 'older'
// (which also writes version 65537). Element ends are marked.
RecordBuilder instrumentRecord(const std::string& name, const std::vector<float>& parameters, float level,
                               bool older = false, const std::string& reservedText = "");

}  // namespace vt::test
