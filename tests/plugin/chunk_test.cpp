// The host chunk: one instrument record handed to and taken from the host.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "editor/plugin_editor.h"
#include "engine/parameter_ids.h"
#include "engine/synth_engine.h"
#include "plugin/host_transport.h"
#include "plugin/plugin_effect.h"
#include "tests/support/fake_host.h"
#include "tests/support/record_builder.h"

namespace vt {
namespace {

using test::FakeHost;

class RefreshCountingEditor : public PluginEditor {
public:
  RefreshCountingEditor(vst2::AudioEffect* effect, SynthEngine* engine) : PluginEditor(effect, engine) {}
  void refreshFromEngine() override { ++refreshes; }
  int refreshes = 0;
};

struct Instance {
  FakeHost host;
  vst2::AEffect* effect = createPluginInstance(FakeHost::callback());
  ~Instance() {
    if (effect) effect->dispatcher(effect, vst2::effClose, 0, 0, nullptr, 0.0f);
  }
  PluginEffect& plugin() const { return *static_cast<PluginEffect*>(effect->object); }
  SynthEngine& engine() const { return *plugin().getEngine(); }

  std::vector<std::uint8_t> getChunk(vst2::IntPtr* result = nullptr) {
    void* data = nullptr;
    const vst2::IntPtr length = effect->dispatcher(effect, vst2::effGetChunk, 0, 0, &data, 0.0f);
    if (result) *result = length;
    if (!data || length <= 0) return {};
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return std::vector<std::uint8_t>(bytes, bytes + length);
  }
  vst2::IntPtr setChunk(std::vector<std::uint8_t> bytes, vst2::IntPtr size) {
    return effect->dispatcher(effect, vst2::effSetChunk, 0, size, bytes.empty() ? nullptr : bytes.data(), 0.0f);
  }
  vst2::IntPtr setChunk(const std::vector<std::uint8_t>& bytes) {
    return setChunk(bytes, static_cast<vst2::IntPtr>(bytes.size()));
  }
};

std::vector<float> parameterValues() {
  std::vector<float> values;
  for (int i = 0; i < 173; ++i) values.push_back(static_cast<float>((i * 37) % 100) / 100.0f);
  return values;
}

TEST(HostChunk, RoundTripsByteForByteBetweenInstances) {
  Instance first;
  ASSERT_NE(first.effect, nullptr);
  const test::RecordBuilder record = test::instrumentRecord("Chunk", parameterValues(), 0.5f);
  EXPECT_EQ(first.setChunk(record.data), static_cast<vst2::IntPtr>(record.data.size()));
  vst2::IntPtr length = 0;
  const std::vector<std::uint8_t> taken = first.getChunk(&length);
  ASSERT_GT(length, 0);
  EXPECT_EQ(taken[0], 0x02);  // version 65538, least significant byte first
  EXPECT_EQ(taken[2], 0x01);

  Instance second;
  EXPECT_EQ(second.setChunk(taken), length);
  EXPECT_EQ(second.getChunk(), taken);
  EXPECT_STREQ(second.engine().getInstrumentName(), "Chunk");
  for (int i = 0; i < 173; ++i) ASSERT_EQ(second.engine().getParameter(i), first.engine().getParameter(i));
  EXPECT_STREQ(second.engine().slot(3).name, "DChunk");
}

TEST(HostChunk, EmptyOrMissingDataChangesNothing) {
  Instance p;
  const std::vector<std::uint8_t> before = p.getChunk();
  ASSERT_FALSE(before.empty());
  const std::vector<std::uint8_t> record = test::instrumentRecord("X", parameterValues(), 0.5f).data;
  EXPECT_EQ(p.setChunk(record, 0), 0);
  EXPECT_EQ(p.setChunk(record, -1), 0);
  EXPECT_EQ(p.setChunk({}, 100), 0);
  EXPECT_EQ(p.getChunk(), before);
}

TEST(HostChunk, SetChunkRefreshesTheEditorAndReportsTheBytesConsumedEvenWhenItFails) {
  Instance p;
  delete p.plugin().getEditor();
  auto* editor = new RefreshCountingEditor(&p.plugin(), &p.engine());
  const std::vector<std::uint8_t> record = test::instrumentRecord("Cut", parameterValues(), 0.5f).data;
  std::vector<std::uint8_t> cut(record.begin(), record.begin() + 30);
  EXPECT_EQ(p.setChunk(cut), 28);  // version, "Cut", count and four parameters: the fifth is cut short
  EXPECT_EQ(editor->refreshes, 1);
  EXPECT_STREQ(p.engine().getInstrumentName(), "Cut");
  EXPECT_EQ(p.engine().getParameter(3), parameterValues()[3]);
  EXPECT_NE(p.engine().getParameter(4), parameterValues()[4]);
  EXPECT_EQ(p.setChunk(record), static_cast<vst2::IntPtr>(record.size()));
  EXPECT_EQ(editor->refreshes, 2);
}

TEST(HostChunk, OlderLayoutIsAccepted) {
  Instance p;
  const std::vector<std::uint8_t> record = test::instrumentRecord("Old", parameterValues(), 0.5f, true).data;
  EXPECT_EQ(p.setChunk(record), static_cast<vst2::IntPtr>(record.size()));
  EXPECT_FLOAT_EQ(p.engine().getParameter(Stretch), 0.5f);
  EXPECT_EQ(p.engine().getParameter(MorphAmpX), p.engine().getParameter(MorphHarmX));
}

// The largest instrument the engine can hold: four voices of 8 multisamples
// in 2 layers, every curve at 128 points, every noise part at 64 frames of
// 128 points (about 12.7 MB).
test::RecordBuilder largestInstrument(const std::vector<float>& parameters) {
  test::RecordBuilder b;
  b.int32(65538).string("Largest").int32(static_cast<std::int32_t>(parameters.size()));
  for (float p : parameters) b.float32(p);
  const test::Curve morph{{0.0f, 1.0f}, {0.2f, 0.8f}};
  b.curve(morph).curve(morph);
  std::vector<float> times, frequencies;
  for (int i = 0; i < 128; ++i) {
    times.push_back(0.02f * static_cast<float>(i));
    frequencies.push_back(static_cast<float>(i + 1) / 128.0f);
  }
  for (int s = 0; s < 4; ++s) {
    b.int32(65538).string("Full" + std::to_string(s)).int32(1).float32(0.5f).float32(1.5f).int32(8).int32(2);
    b.float32(20000.0f);
    for (int layer = 0; layer < 16; ++layer) {
      b.float32(55.0f * static_cast<float>(1 + layer / 2));
      for (int h = 0; h < 64; ++h) {
        std::vector<float> levels(128, 0.5f / static_cast<float>(h + 1));
        levels.front() = 0.0f;
        levels.back() = 0.0f;
        b.curve(test::Curve{times, levels});
      }
      for (int h = 0; h < 64; ++h) b.curve(test::Curve{times, std::vector<float>(128, static_cast<float>(h + 1))});
      b.int32(64);
      for (int f = 0; f < 64; ++f) {
        b.float32(0.04f * static_cast<float>(f));
        b.curve(test::Curve{frequencies, std::vector<float>(128, f == 0 ? 0.0f : 0.25f)});
      }
    }
  }
  b.curve(test::Curve{{0.0f, 1.0f}, {1.0f, 1.0f}});
  b.int32(0).int32(0).string("").string("").string("");
  for (int i = 0; i < 4; ++i) b.curve(morph);
  return b;
}

TEST(HostChunk, TheLargestInstrumentRoundTripsByteForByte) {
  Instance first;
  std::vector<float> parameters = parameterValues();
  for (int s = 0; s < 4; ++s) parameters[NumMultisamplesA + s] = 7.0f / 8.0f;  // all eight multisamples
  const std::vector<std::uint8_t> record = largestInstrument(parameters).data;
  ASSERT_GT(record.size(), 12u * 1048576u);
  EXPECT_EQ(first.setChunk(record), static_cast<vst2::IntPtr>(record.size()));
  vst2::IntPtr length = 0;
  const std::vector<std::uint8_t> taken = first.getChunk(&length);
  ASSERT_EQ(length, static_cast<vst2::IntPtr>(record.size()));

  Instance second;
  EXPECT_EQ(second.setChunk(taken), length);
  EXPECT_TRUE(second.getChunk() == taken);

  // A small instrument afterwards gets a buffer of its own size again.
  const std::vector<std::uint8_t> small = test::instrumentRecord("Small", parameterValues(), 0.5f).data;
  EXPECT_EQ(second.setChunk(small), static_cast<vst2::IntPtr>(small.size()));
  const std::vector<std::uint8_t> smallTaken = second.getChunk(&length);
  EXPECT_LT(length, 1048576);
  EXPECT_GE(second.plugin().chunkCapacity(), length);
  EXPECT_LT(second.plugin().chunkCapacity(), 2 * length + 1);
}

}  // namespace
}  // namespace vt
