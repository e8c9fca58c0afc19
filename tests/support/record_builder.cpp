#include "tests/support/record_builder.h"

#include <cstring>

namespace vt::test {

RecordBuilder& RecordBuilder::int32(std::int32_t value) {
  const std::uint32_t bits = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) data.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
  return *this;
}

RecordBuilder& RecordBuilder::float32(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, 4);
  return int32(static_cast<std::int32_t>(bits));
}

RecordBuilder& RecordBuilder::string(const std::string& text) {
  data.insert(data.end(), text.begin(), text.end());
  data.push_back(0);
  return *this;
}

RecordBuilder& RecordBuilder::curve(const Curve& c) {
  int32(static_cast<std::int32_t>(c.x.size()));
  for (float v : c.x) float32(v);
  for (float v : c.y) float32(v);
  return *this;
}

RecordBuilder& RecordBuilder::bytes(const std::vector<std::uint8_t>& more) {
  data.insert(data.end(), more.begin(), more.end());
  return *this;
}

RecordBuilder& RecordBuilder::harmonicBlock(float baseFrequency, float amplitude, float ratio) {
  float32(baseFrequency);
  for (int h = 0; h < 64; ++h) curve(h == 0 ? Curve{{0.0f, 0.5f, 1.0f}, {amplitude, amplitude, amplitude}} : Curve{});
  for (int h = 0; h < 64; ++h) curve(h == 0 ? Curve{{0.0f, 0.5f, 1.0f}, {ratio, ratio, ratio}} : Curve{});
  return *this;
}

RecordBuilder& RecordBuilder::noiseBlock(int frames, float level) {
  int32(frames);
  for (int f = 0; f < frames; ++f) {
    float32(0.1f * static_cast<float>(f));
    curve(Curve{{0.0f, 1.0f}, {level, level}});
  }
  return *this;
}

RecordBuilder& RecordBuilder::voice(const std::string& name, int rows, int layers, float level, std::int32_t version) {
  int32(version).string(name).int32(1).float32(0.25f).float32(0.5f).int32(rows).int32(layers);
  if (version > 65537) float32(18000.0f);
  for (int r = 0; r < rows; ++r)
    for (int l = 0; l < layers; ++l) {
      const float amplitude = level + 0.01f * static_cast<float>(r) + 0.001f * static_cast<float>(l);
      harmonicBlock(110.0f * static_cast<float>(r + 1), amplitude).noiseBlock(2, amplitude);
    }
  return *this;
}

RecordBuilder instrumentRecord(const std::string& name, const std::vector<float>& parameters, float level, bool older,
                               const std::string& reservedText) {
  RecordBuilder b;
  b.int32(older ? 65537 : 65538).mark();
  b.string(name).mark();
  b.int32(static_cast<std::int32_t>(parameters.size())).mark();
  for (float p : parameters) b.float32(p).mark();
  b.curve(Curve{{0.0f, 1.0f}, {0.1f, 0.2f}}).mark();
  b.curve(Curve{{0.0f, 2.0f}, {0.3f, 0.4f}}).mark();
  const char* letters[] = {"A", "B", "C", "D"};
  for (int s = 0; s < 4; ++s)
    b.voice(letters[s] + name, 1 + s % 2, 1 + s % 2, level + 0.1f * static_cast<float>(s)).mark();
  b.curve(Curve{{0.0f, 0.5f, 1.0f}, {1.0f, 0.5f, 1.0f}}).mark();
  b.int32(0).mark().int32(0).mark();
  for (int i = 0; i < 3; ++i) b.string(reservedText).mark();
  if (!older) {
    b.curve(Curve{{0.0f}, {0.6f}}).mark().curve(Curve{{0.0f}, {0.7f}}).mark();
    b.curve(Curve{{0.0f}, {0.8f}}).mark().curve(Curve{{0.0f}, {0.9f}}).mark();
  }
  return b;
}

}  // namespace vt::test
