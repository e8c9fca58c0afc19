// The parameter road through the plug-in: writes from another thread while the
// audio thread renders (run under ThreadSanitizer and AddressSanitizer too),
// hostile values, loads on a resumed plug-in that does not render, the host
// told of loaded state, and the host transport kept per instance.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "editor/plugin_editor.h"
#include "engine/parameter_ids.h"
#include "engine/synth_engine.h"
#include "files/engine_loader.h"
#include "plugin/plugin_effect.h"
#include "tests/support/fake_host.h"
#include "tests/support/record_builder.h"

namespace vt {
namespace {

using test::FakeHost;
using test::MidiEventList;

constexpr int kBlock = 256;
constexpr float kRate = 44100.0f;
// The first factory instrument, from the source tree (sanitizer builds do not copy the library).
const std::string kStartupInstrument =
    std::string(VT7000_SOURCE_DIR) + "/factory/data/Veltrane7000Data/Instruments-Factory/Basses/Finger Bass.v7i";

struct Instance {
  vst2::AEffect* effect = createPluginInstance(FakeHost::callback());
  ~Instance() {
    if (effect) effect->dispatcher(effect, vst2::effClose, 0, 0, nullptr, 0.0f);
  }
  PluginEffect& plugin() const { return *static_cast<PluginEffect*>(effect->object); }
  SynthEngine& engine() const { return *plugin().getEngine(); }
  vst2::IntPtr dispatch(vst2::Int32 op, vst2::Int32 index = 0, vst2::IntPtr value = 0, void* ptr = nullptr,
                        float opt = 0.0f) {
    return effect->dispatcher(effect, op, index, value, ptr, opt);
  }
  void start(float rate = kRate) {
    dispatch(vst2::effSetSampleRate, 0, 0, nullptr, rate);
    dispatch(vst2::effMainsChanged, 0, 1);
  }
  void events(MidiEventList& list) { dispatch(vst2::effProcessEvents, 0, 0, list.events()); }
  // One block; false when any sample is not finite. 'peak' takes the largest magnitude.
  bool render(std::vector<float>& left, std::vector<float>& right, float* peak = nullptr) {
    float* outputs[2] = {left.data(), right.data()};
    effect->processReplacing(effect, nullptr, outputs, static_cast<vst2::Int32>(left.size()));
    for (std::size_t i = 0; i < left.size(); ++i) {
      if (!std::isfinite(left[i]) || !std::isfinite(right[i])) return false;
      if (peak) *peak = std::max(*peak, std::max(std::fabs(left[i]), std::fabs(right[i])));
    }
    return true;
  }
  std::vector<std::uint8_t> getChunk() {
    void* data = nullptr;
    const vst2::IntPtr length = dispatch(vst2::effGetChunk, 0, 0, &data);
    if (!data || length <= 0) return {};
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return std::vector<std::uint8_t>(bytes, bytes + length);
  }
  vst2::IntPtr setChunk(std::vector<std::uint8_t> bytes) {
    return dispatch(vst2::effSetChunk, 0, static_cast<vst2::IntPtr>(bytes.size()), bytes.data());
  }
};

// Values a careless host or a broken automation lane may send.
float hostileValue(std::mt19937& random) {
  static const float kValues[] = {std::numeric_limits<float>::quiet_NaN(),
                                  std::numeric_limits<float>::infinity(),
                                  -std::numeric_limits<float>::infinity(),
                                  1e30f,
                                  -1e30f,
                                  1e6f,
                                  -1.0f,
                                  2.0f};
  return kValues[random() % (sizeof(kValues) / sizeof(kValues[0]))];
}

// Notes on and off in every block so that voices start, steal and end.
void noteTraffic(MidiEventList& list, int block) {
  list.add(block % kBlock, 0x90, static_cast<unsigned char>(36 + block % 48), 100);
  list.add(kBlock - 1, 0x80, static_cast<unsigned char>(36 + (block + 40) % 48), 0);
}

TEST(ParameterRoad, AnotherThreadWritingEveryParameterWhileTheAudioThreadRendersLeavesTheOutputFinite) {
  FakeHost host;
  Instance instance;
  ASSERT_NE(instance.effect, nullptr);
  ASSERT_TRUE(loadInstrumentFile(instance.engine(), kStartupInstrument.c_str()));
  instance.start();

  // Three seconds of audio while the writer hammers all 173 parameters with
  // plain and hostile values, reads them back and changes the sample rate.
  constexpr int kBlocks = static_cast<int>(3 * kRate) / kBlock;
  std::atomic<bool> rendering{true};
  std::atomic<long> writes{0};
  std::thread writer([&] {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    char text[32];
    for (long n = 0; rendering; ++n) {
      const int index = static_cast<int>(random() % kNumHostParameters);
      const float value = random() % 8 == 0 ? hostileValue(random) : unit(random);
      instance.effect->setParameter(instance.effect, index, value);
      const float back = instance.effect->getParameter(instance.effect, index);
      EXPECT_TRUE(std::isfinite(back));
      instance.dispatch(vst2::effGetParamDisplay, index, 0, text);
      if (n % 4000 == 3999) instance.dispatch(vst2::effSetSampleRate, 0, 0, nullptr, n % 8000 ? 48000.0f : kRate);
      ++writes;
    }
  });
  std::vector<float> left(kBlock), right(kBlock);
  int nonFinite = 0;
  for (int block = 0; block < kBlocks; ++block) {
    MidiEventList list;
    noteTraffic(list, block);
    instance.events(list);
    if (!instance.render(left, right)) ++nonFinite;
  }
  rendering = false;
  writer.join();
  EXPECT_EQ(nonFinite, 0);
  EXPECT_GT(writes, 0);
  for (int i = 0; i < kNumHostParameters; ++i) {
    const float v = instance.engine().getParameter(i);
    const float high =
        i >= ModSource1 && i <= ModSource10 ? 127.0f : (i >= ModTarget1 && i <= ModTarget10 ? 53.0f : 1.0f);
    EXPECT_TRUE(v >= 0.0f && v <= high) << i << " " << v;
  }
}

TEST(ParameterRoad, HostileValuesFromHostChunkAndControllersLeaveCleanNotesClean) {
  FakeHost host;
  Instance instance;
  ASSERT_NE(instance.effect, nullptr);
  ASSERT_TRUE(loadInstrumentFile(instance.engine(), kStartupInstrument.c_str()));
  const std::vector<std::uint8_t> clean = instance.getChunk();
  ASSERT_FALSE(clean.empty());
  instance.start();
  std::vector<float> left(kBlock), right(kBlock);

  auto playNotes = [&](float* peak) {
    bool finite = true;
    for (int block = 0; block < 200; ++block) {
      MidiEventList list;
      if (block == 0) list.add(0, 0x90, 48, 127);
      if (block == 0) list.add(0, 0x90, 55, 127);
      if (block == 120) list.add(0, 0x80, 48, 0);
      instance.events(list);
      finite = instance.render(left, right, peak) && finite;
    }
    return finite;
  };
  float cleanPeak = 0.0f;
  ASSERT_TRUE(playNotes(&cleanPeak));
  ASSERT_GT(cleanPeak, 0.0f);

  // Every parameter gets every hostile value, from the host and from a
  // modulation slot that maps controller 1 onto Volume; notes play meanwhile.
  std::mt19937 random(11);
  for (int round = 0; round < 8; ++round) {
    for (int i = 0; i < kNumHostParameters; ++i)
      instance.effect->setParameter(instance.effect, i, hostileValue(random));
    MidiEventList list;
    list.add(0, 0x90, static_cast<unsigned char>(40 + round), 127);
    instance.events(list);
    ASSERT_TRUE(instance.render(left, right)) << round;
  }
  for (int i = 0; i < kNumHostParameters; ++i) ASSERT_TRUE(std::isfinite(instance.engine().getParameter(i))) << i;

  // An instrument file with a huge volume and non-finite values is limited.
  std::vector<float> values(173, 0.5f);
  values[Volume] = 1e6f;
  values[FilterCutoff] = std::numeric_limits<float>::quiet_NaN();
  values[ReverbMix] = std::numeric_limits<float>::infinity();
  const test::RecordBuilder loud = test::instrumentRecord("Loud", values, 0.5f);
  EXPECT_GT(instance.setChunk(loud.data), 0);
  EXPECT_FLOAT_EQ(instance.engine().getParameter(Volume), 1.0f);
  EXPECT_FLOAT_EQ(instance.engine().getParameter(FilterCutoff), 0.8f);  // its default
  EXPECT_FLOAT_EQ(instance.engine().getParameter(ReverbMix), 1.0f);     // its default
  float loudPeak = 0.0f;
  EXPECT_TRUE(playNotes(&loudPeak));
  EXPECT_LT(loudPeak, 8.0f);  // at most 4 * the mix, far from +117 dBFS

  // The clean instrument back: it plays as it did before the hostile values.
  EXPECT_GT(instance.setChunk(clean), 0);
  for (int block = 0; block < 400; ++block) {  // let every tail die away
    MidiEventList none;
    instance.events(none);
    ASSERT_TRUE(instance.render(left, right));
  }
  float againPeak = 0.0f;
  EXPECT_TRUE(playNotes(&againPeak));
  EXPECT_GT(againPeak, 0.5f * cleanPeak);
  EXPECT_LT(againPeak, 2.0f * cleanPeak);
}

TEST(ParameterRoad, ChunksGivenToAResumedPluginThatNeverRendersAreVisibleAtOnceAndPlayFromTheNextBlock) {
  FakeHost host;
  Instance source;
  ASSERT_NE(source.effect, nullptr);
  loadInstrumentFile(source.engine(), kStartupInstrument.c_str());
  const std::vector<std::uint8_t> first = source.getChunk();
  source.effect->setParameter(source.effect, Volume, 0.2f);
  source.effect->setParameter(source.effect, FilterCutoff, 0.33f);
  const std::vector<std::uint8_t> second = source.getChunk();
  ASSERT_FALSE(first.empty());
  ASSERT_NE(first, second);

  Instance target;
  target.start();
  const int requestsBefore = host.updateDisplayRequests;
  // A muted track: resumed, never processing. Each call returns without
  // waiting for a block, the newest chunk replaces the older ones, and the
  // host reads back exactly what it gave.
  for (int i = 0; i < 200; ++i)
    EXPECT_EQ(target.setChunk(i % 2 ? second : first), static_cast<vst2::IntPtr>(first.size()));
  EXPECT_EQ(host.updateDisplayRequests, requestsBefore + 200);
  EXPECT_EQ(target.getChunk(), second);  // the last one given
  EXPECT_EQ(target.setChunk(first), static_cast<vst2::IntPtr>(first.size()));
  EXPECT_EQ(target.getChunk(), first);
  EXPECT_EQ(target.setChunk(second), static_cast<vst2::IntPtr>(second.size()));
  EXPECT_EQ(target.getChunk(), second);
  EXPECT_FLOAT_EQ(target.effect->getParameter(target.effect, Volume), 0.2f);
  EXPECT_FLOAT_EQ(target.effect->getParameter(target.effect, FilterCutoff), 0.33f);
  // A host write after the load is newer than it.
  target.effect->setParameter(target.effect, FilterCutoff, 0.4f);
  EXPECT_FLOAT_EQ(target.engine().appliedParameter(Volume), 0.5f);  // nothing rendered yet

  std::vector<float> left(kBlock), right(kBlock);
  ASSERT_TRUE(target.render(left, right));
  EXPECT_FLOAT_EQ(target.engine().appliedParameter(Volume), 0.2f);
  EXPECT_FLOAT_EQ(target.engine().appliedParameter(FilterCutoff), 0.4f);
  EXPECT_STREQ(target.engine().slot(0).name, source.engine().slot(0).name);
  EXPECT_EQ(target.engine().slot(0).rowCount, source.engine().slot(0).rowCount);
}

TEST(ParameterRoad, TwoInstancesEachFollowTheHostTempoStoppedAndRunning) {
  FakeHost host;
  Instance first;
  Instance second;
  ASSERT_NE(first.effect, nullptr);
  ASSERT_NE(second.effect, nullptr);
  first.start();
  second.start();
  MidiEventList none;

  // Stopped transport at 90 BPM: both instances take it from their first poll.
  host.time.tempo = 90.0;
  host.time.ppqPos = 4.0;
  for (int call = 0; call < 3; ++call) {
    first.events(none);
    second.events(none);
  }
  EXPECT_FLOAT_EQ(first.engine().getTempo(), 90.0f);
  EXPECT_FLOAT_EQ(second.engine().getTempo(), 90.0f);
  std::vector<float> left(kBlock), right(kBlock);
  ASSERT_TRUE(second.render(left, right));  // the block applies it to the delay and the LFOs
  EXPECT_FLOAT_EQ(second.engine().effects().delayUnit().tempo, 90.0f);

  // A tempo change while stopped reaches each instance within its own poll
  // interval of twenty calls, whatever the other instance does.
  host.time.tempo = 100.0;
  for (int call = 0; call < 20; ++call) second.events(none);
  EXPECT_FLOAT_EQ(second.engine().getTempo(), 100.0f);
  for (int call = 0; call < 20; ++call) first.events(none);
  EXPECT_FLOAT_EQ(first.engine().getTempo(), 100.0f);

  // Running: once each instance has seen the position move (within its poll
  // interval), every call polls, so each follows the tempo at its next call.
  for (int call = 0; call < 21; ++call) {
    host.time.ppqPos += 0.25;
    first.events(none);
    second.events(none);
  }
  for (int step = 0; step < 4; ++step) {
    host.time.ppqPos += 0.25;
    host.time.tempo = 140.0 + step;
    first.events(none);
    second.events(none);
    EXPECT_FLOAT_EQ(first.engine().getTempo(), 140.0f + step);
    EXPECT_FLOAT_EQ(second.engine().getTempo(), 140.0f + step);
  }
}

TEST(ParameterRoad, ConstructionDoesNotAskTheHostToRefreshButInstrumentLoadsDo) {
  FakeHost host;
  Instance instance;
  ASSERT_NE(instance.effect, nullptr);
  EXPECT_EQ(host.updateDisplayRequests, 0);
  const std::vector<std::uint8_t> chunk = instance.getChunk();
  instance.setChunk(chunk);
  EXPECT_EQ(host.updateDisplayRequests, 1);
}

// An editor that looks at the engine as it goes, as a real one may.
class WatchingEditor : public PluginEditor {
public:
  WatchingEditor(PluginEffect* plugin, bool* engineAlive)
      : PluginEditor(plugin, plugin->getEngine()), alive(engineAlive) {}
  ~WatchingEditor() override {
    *alive = static_cast<PluginEffect*>(effect)->getEngine() != nullptr &&
             std::isfinite(static_cast<PluginEffect*>(effect)->getEngine()->getParameter(Volume));
  }
  bool* alive;
};

TEST(ParameterRoad, TheEditorGoesBeforeTheEngineItPointsTo) {
  FakeHost host;
  bool engineAlive = false;
  {
    Instance instance;
    ASSERT_NE(instance.effect, nullptr);
    delete instance.plugin().getEditor();
    new WatchingEditor(&instance.plugin(), &engineAlive);
  }
  EXPECT_TRUE(engineAlive);
}

}  // namespace
}  // namespace vt
