// Loads reach the engine between render blocks: the render gate, adoption by
// the render call or by an idle host's loader, and what adoption keeps.
#include "engine/load_exchange.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "engine/pending_load.h"
#include "engine/staged_load.h"
#include "engine/synth_engine.h"
#include "files/byte_stream.h"
#include "files/engine_loader.h"
#include "tests/support/allocation_counter.h"
#include "tests/support/record_builder.h"

namespace vt {
namespace {

constexpr int kBlock = 128;

void stageParameter(SynthEngine& engine, float value) {
  StagedLoad load(engine);
  ASSERT_TRUE(load);
  load->parameters[0] = value;
  load->parameterCount = 1;
}

bool loadVoice(SynthEngine& engine, int slot, const test::RecordBuilder& record) {
  ByteStream stream;
  stream.openMemoryForReading(record.data.data(), static_cast<std::int32_t>(record.data.size()));
  return readVoiceInto(engine, slot, stream);
}

TEST(LoadExchange, TheGateLetsEitherARenderOrAnAdoptionIn) {
  LoadExchange exchange;
  ASSERT_TRUE(exchange.valid());
  EXPECT_TRUE(exchange.enterAdoption());
  EXPECT_FALSE(exchange.enterRender());
  EXPECT_FALSE(exchange.enterAdoption());
  exchange.leaveAdoption();
  EXPECT_TRUE(exchange.enterRender());
  EXPECT_FALSE(exchange.enterAdoption());
  exchange.leaveRender();

  PendingLoad* load = exchange.acquire();
  ASSERT_NE(load, nullptr);
  EXPECT_TRUE(load->isEmpty());
  EXPECT_FALSE(exchange.isPending());
  exchange.publish();
  EXPECT_TRUE(exchange.isPending());
  EXPECT_EQ(exchange.takePublished(), load);
  exchange.finishAdoption();
  EXPECT_FALSE(exchange.isPending());
  EXPECT_EQ(exchange.takePublished(), nullptr);
  exchange.release();
}

TEST(LoadExchange, AHostThatHasNeverRenderedHasTheLoadAdoptedAtOnce) {
  auto engine = std::make_unique<SynthEngine>();
  stageParameter(*engine, 0.3f);
  EXPECT_FLOAT_EQ(engine->getParameter(0), 0.3f);
}

TEST(LoadExchange, ARunningEngineShowsALoadAtOnceAndPlaysItFromTheNextBlock) {
  auto engine = std::make_unique<SynthEngine>();
  std::vector<float> left(kBlock), right(kBlock);
  engine->render(left.data(), right.data(), kBlock);
  stageParameter(*engine, 0.7f);
  EXPECT_FLOAT_EQ(engine->getParameter(0), 0.7f);
  EXPECT_FLOAT_EQ(engine->appliedParameter(0), 0.5f);
  stageParameter(*engine, 0.8f);  // replaces the load not yet adopted
  EXPECT_FLOAT_EQ(engine->getParameter(0), 0.8f);
  engine->render(left.data(), right.data(), kBlock);
  EXPECT_FLOAT_EQ(engine->appliedParameter(0), 0.8f);
}

TEST(LoadExchange, ReplacedContentKeepsTheSlotsParameterSettings) {
  auto engine = std::make_unique<SynthEngine>();
  engine->setParameter(VoiceDetuneB, 0.75f);
  engine->setParameter(Attack, 0.2f);
  engine->setParameter(Stretch, 0.8f);
  engine->setParameter(HarmAmount, 0.3f);
  const VoiceSlot& slot = engine->slot(1);
  const float detune = slot.detuneCents;
  const float stretch = slot.timeStretch;
  const float harmonicVolume = slot.harmonicVolume;
  const float attack = slot.envelope.x(1);

  test::RecordBuilder record;
  record.voice("Fresh", 2, 2, 0.5f);
  ASSERT_TRUE(loadVoice(*engine, 1, record));
  EXPECT_STREQ(slot.name, "Fresh");
  EXPECT_EQ(slot.rowCount, 2);
  EXPECT_FLOAT_EQ(slot.harmonics[1][1].baseFrequency, 220.0f);
  EXPECT_FLOAT_EQ(slot.detuneCents, detune);
  EXPECT_FLOAT_EQ(slot.timeStretch, stretch);
  EXPECT_FLOAT_EQ(slot.harmonicVolume, harmonicVolume);
  EXPECT_FLOAT_EQ(slot.envelope.x(1), attack);
  EXPECT_EQ(slot.envelope.count(), 3);
  EXPECT_STREQ(engine->slot(0).name, "");  // the other slots are untouched
}

// Content staged from the live slot without a voice header of its own (an
// edit, a block file, a preparation) is adopted with the loop switch and
// multisample count written after it was staged, not the copies it carries.
TEST(LoadExchange, ContentStagedBeforeASwitchWriteKeepsTheNewerSwitch) {
  auto engine = std::make_unique<SynthEngine>();
  std::vector<float> left(kBlock), right(kBlock);
  engine->resume();
  engine->render(left.data(), right.data(), kBlock);
  ASSERT_FALSE(engine->slot(0).loopOn);
  {
    StagedLoad load(*engine, 1u);
    ASSERT_TRUE(load);
    VoiceSlot& staged = load->stagedSlot(0);
    engine->copyLiveSlot(staged, 0);
    staged.prepare();
    load->noteSlotChange(0, PendingLoad::ReplaceContent, 0);
    // Written and played while the content is still being staged.
    engine->setParameter(GlobalLoopOn, 1.0f);
    engine->setParameter(NumMultisamplesA, 1.0f);  // all eight rows
    engine->render(left.data(), right.data(), kBlock);
  }
  engine->render(left.data(), right.data(), kBlock);  // adopts the staged content
  EXPECT_TRUE(engine->slot(0).loopOn);
  EXPECT_EQ(engine->slot(0).rowCount, VoiceSlot::kRows);
}

TEST(LoadExchange, AdoptedSetsTakeTheEnginesSampleRate) {
  auto engine = std::make_unique<SynthEngine>();
  engine->setSampleRate(96000.0f);
  test::RecordBuilder record;
  record.voice("Rate", 1, 2, 0.5f);
  ASSERT_TRUE(loadVoice(*engine, 2, record));
  EXPECT_FLOAT_EQ(engine->slot(2).harmonics[0][1].sampleRate, 96000.0f);
  EXPECT_FLOAT_EQ(engine->slot(2).noise[0][0].frames[0].sampleRate, 96000.0f);
}

TEST(LoadExchange, AVoiceRefusedInItsHeaderChangesOnlyTheFieldsReadBeforeTheRefusal) {
  auto engine = std::make_unique<SynthEngine>();
  test::RecordBuilder good;
  good.voice("Good", 1, 2, 0.5f);
  ASSERT_TRUE(loadVoice(*engine, 0, good));
  test::RecordBuilder bad;
  bad.int32(65538).string("Bad").int32(0).float32(0.1f).float32(0.2f).int32(12);
  EXPECT_FALSE(loadVoice(*engine, 0, bad));
  const VoiceSlot& slot = engine->slot(0);
  EXPECT_STREQ(slot.name, "Bad");
  EXPECT_FALSE(slot.loopOn);
  EXPECT_FLOAT_EQ(slot.loopStart, 0.1f);
  EXPECT_EQ(slot.rowCount, 1);
  EXPECT_FLOAT_EQ(slot.harmonics[0][0].baseFrequency, 110.0f);
}

TEST(LoadExchange, TheRenderCallAdoptsALoadBetweenBlocksWithoutAllocating) {
  auto engine = std::make_unique<SynthEngine>();
  std::vector<float> left(kBlock), right(kBlock);
  engine->render(left.data(), right.data(), kBlock);

  test::RecordBuilder record;
  record.voice("Played", 8, 2, 0.5f);
  std::atomic<bool> loaded{false};
  std::thread loader([&] {
    loadVoice(*engine, 3, record);
    loaded = true;
  });
  std::size_t allocations = 0;
  while (!loaded) {
    test::AllocationCounter counter;
    engine->render(left.data(), right.data(), kBlock);
    allocations += counter.count();
  }
  loader.join();
  // The load returned without waiting; the next block adopts it.
  {
    test::AllocationCounter counter;
    engine->render(left.data(), right.data(), kBlock);
    allocations += counter.count();
  }
  EXPECT_EQ(allocations, 0u);
  EXPECT_STREQ(engine->slot(3).name, "Played");
  EXPECT_EQ(engine->slot(3).rowCount, 8);
}

TEST(LoadExchange, LoadersTakeTurns) {
  auto engine = std::make_unique<SynthEngine>();
  std::vector<std::thread> loaders;
  std::atomic<int> done{0};
  for (int t = 0; t < 3; ++t) {
    loaders.emplace_back([&, t] {
      for (int i = 0; i < 20; ++i) {
        StagedLoad load(*engine);
        ASSERT_TRUE(load);
        for (int p = 0; p < 10; ++p) load->parameters[p] = static_cast<float>(t);
        load->parameterCount = 10;
      }
      ++done;
    });
  }
  for (std::thread& loader : loaders) loader.join();
  EXPECT_EQ(done, 3);
  // Each load is adopted whole: the ten values always come from one loader.
  for (int p = 1; p < 10; ++p) EXPECT_EQ(engine->getParameter(p), engine->getParameter(0));
}

}  // namespace
}  // namespace vt
