// The host chunk: one instrument record handed to and taken from the host.
#include <gtest/gtest.h>

#include <cstring>
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

TEST(HostChunk, AnInstrumentTooLargeForTheBufferGivesNoChunkAndLeavesTheBufferAlone) {
  Instance p;
  const std::vector<std::uint8_t> before = p.getChunk();
  // Slot A with all eight multisamples in both layers, every curve full: about 2 MB.
  VoiceSlot& slot = p.engine().slot(0);
  slot.rowCount = 8;
  slot.layerCount = 2;
  for (int r = 0; r < 8; ++r)
    for (int l = 0; l < 2; ++l)
      for (int c = 0; c < HarmonicSet::kCurves; ++c)
        for (int i = 0; i < 128; ++i) slot.harmonics[r][l].curve(c).add(0.01f * static_cast<float>(i), 0.1f);

  void* data = nullptr;
  EXPECT_EQ(p.effect->dispatcher(p.effect, vst2::effGetChunk, 0, 0, &data, 0.0f), 0);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(std::memcmp(data, before.data(), before.size()), 0);
}

}  // namespace
}  // namespace vt
