// One thread renders while another loads instruments again and again: every
// block sees each slot either wholly before or wholly after a load, never a
// mixture. Run it under ThreadSanitizer too (the tsan preset).
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/synth_engine.h"
#include "files/byte_stream.h"
#include "files/engine_loader.h"
#include "tests/support/record_builder.h"

namespace vt {
namespace {

constexpr int kBlock = 256;
constexpr int kLoads = 60;

// Two instruments told apart by their name's last letter; within one, every
// part carries values that belong to that instrument only.
struct Variant {
  const char* name;
  float level;  // the voices' amplitude (voice s adds 0.1 s)
  float volume;
};
const Variant kVariants[] = {{"Tone1", 0.2f, 0.25f}, {"Tone2", 0.6f, 0.75f}};

// Runs on the audio thread inside render, between loads' adoptions.
class ConsistencyCheck : public RenderObserver {
public:
  explicit ConsistencyCheck(SynthEngine& e) : engine(e) {}

  void voiceSubBlock(float* /*mono*/, int /*offset*/, int /*length*/) override {
    ++blocks;
    const char* name = engine.getInstrumentName();
    int variant = -1;
    for (int v = 0; v < 2; ++v)
      if (std::strcmp(name, kVariants[v].name) == 0) variant = v;
    if (variant < 0) return;  // before the first load
    ++checked;
    if (engine.appliedParameter(Volume) != kVariants[variant].volume) ++mixtures;
    for (int s = 0; s < kNumSlots; ++s) {
      const VoiceSlot& slot = engine.slot(s);
      const std::string expected = std::string(1, static_cast<char>('A' + s)) + kVariants[variant].name;
      if (expected != slot.name) ++mixtures;
      // The first amplitude after the fade-in point is the voice's level.
      const float level = kVariants[variant].level + 0.1f * static_cast<float>(s);
      for (int r = 0; r < slot.rowCount; ++r) {
        const float y = slot.harmonics[r][0].amplitude[0].y(1);
        if (std::abs(y - (level + 0.01f * static_cast<float>(r))) > 1e-5f) ++mixtures;
      }
    }
  }
  void eventHandled(const std::uint8_t* /*bytes*/, int /*position*/) override {}

  SynthEngine& engine;
  int blocks = 0;
  int checked = 0;
  int mixtures = 0;
};

TEST(ConcurrentLoad, RenderingWhileInstrumentsLoadNeverSeesAHalfLoadedInstrument) {
  auto engine = std::make_unique<SynthEngine>();
  ConsistencyCheck check(*engine);
  engine->setRenderObserver(&check);

  std::vector<std::vector<std::uint8_t>> records;
  for (const Variant& v : kVariants) {
    std::vector<float> parameters(173, 0.1f);
    parameters[Volume] = v.volume;
    records.push_back(test::instrumentRecord(v.name, parameters, v.level).data);
  }

  std::atomic<bool> loading{true};
  std::atomic<int> loads{0};
  std::atomic<int> rendered{0};
  std::thread loader([&] {
    for (int i = 0; i < kLoads; ++i) {
      const std::vector<std::uint8_t>& record = records[static_cast<std::size_t>(i % 2)];
      ByteStream stream;
      stream.openMemoryForReading(record.data(), static_cast<std::int32_t>(record.size()));
      if (readInstrumentInto(*engine, stream)) ++loads;
      // Loads return at once; give the render a block or two between them so
      // that notes play each instrument.
      const int seen = rendered;
      for (int wait = 0; wait < 2000 && rendered < seen + 2; ++wait)
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    loading = false;
  });

  // Notes start and stop all the while, so voices copy from the slots as they are replaced.
  std::vector<float> left(kBlock), right(kBlock);
  int block = 0;
  float loudest = 0.0f;
  while (loading) {
    const std::uint8_t note = static_cast<std::uint8_t>(48 + block % 24);
    const std::uint8_t on[3] = {0x90, note, 100};
    const std::uint8_t off[3] = {0x80, static_cast<std::uint8_t>(48 + (block + 12) % 24), 0};
    engine->queueMessage(on, 3, block % kBlock);
    engine->queueMessage(off, 3, kBlock - 1);
    engine->render(left.data(), right.data(), kBlock);
    for (float v : left) loudest = std::max(loudest, std::abs(v));
    ++block;
    ++rendered;
  }
  loader.join();
  engine->render(left.data(), right.data(), kBlock);
  engine->setRenderObserver(nullptr);

  EXPECT_EQ(loads, kLoads);
  EXPECT_GT(check.checked, 0);
  EXPECT_EQ(check.mixtures, 0);
  EXPECT_GT(loudest, 0.0f);  // the loaded voices did sound
  EXPECT_STREQ(engine->getInstrumentName(), kVariants[(kLoads - 1) % 2].name);
}

}  // namespace
}  // namespace vt
