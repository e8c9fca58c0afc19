// Loading voice, harmonic-block and noise-block files into the engine.
#include "files/engine_loader.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/synth_engine.h"
#include "files/byte_stream.h"
#include "tests/support/record_builder.h"
#include "tests/support/temp_folder.h"

namespace vt {
namespace {

std::string bytesOf(const test::RecordBuilder& b) { return std::string(b.data.begin(), b.data.end()); }

class EngineLoaderTest : public ::testing::Test {
protected:
  void SetUp() override {
    test::RecordBuilder voice;
    voice.voice("Base", 3, 2, 0.5f);
    const std::string path = temp.writeFile("base.v7v", bytesOf(voice)).string();
    ASSERT_TRUE(loadVoiceFile(*engine, 1, path.c_str()));
  }
  test::TempFolder temp;
  std::unique_ptr<SynthEngine> engine = std::make_unique<SynthEngine>();
};

TEST_F(EngineLoaderTest, AVoiceFileFillsItsSlot) {
  const VoiceSlot& slot = engine->slot(1);
  EXPECT_STREQ(slot.name, "Base");
  EXPECT_EQ(slot.rowCount, 3);
  EXPECT_FLOAT_EQ(slot.harmonics[2][1].baseFrequency, 330.0f);
  EXPECT_EQ(slot.markers.count(), 5);  // prepared
}

TEST_F(EngineLoaderTest, ABlockFileReplacesOneLayerAndKeepsTheRestOfTheVoice) {
  test::RecordBuilder harmonic;
  harmonic.harmonicBlock(1000.0f, 0.9f);
  const std::string harmonicPath = temp.writeFile("new.v7h", bytesOf(harmonic)).string();
  ASSERT_TRUE(loadHarmonicBlockFile(*engine, 1, 2, 1, harmonicPath.c_str()));
  const VoiceSlot& slot = engine->slot(1);
  EXPECT_FLOAT_EQ(slot.harmonics[2][1].baseFrequency, 1000.0f);
  EXPECT_FLOAT_EQ(slot.harmonics[2][0].baseFrequency, 330.0f);
  EXPECT_FLOAT_EQ(slot.harmonics[0][1].baseFrequency, 110.0f);
  EXPECT_EQ(slot.noise[2][1].count, 3);  // the layer's noise stays
  EXPECT_STREQ(slot.name, "Base");
  EXPECT_EQ(slot.rowCount, 3);
  EXPECT_FLOAT_EQ(slot.harmonics[2][1].amplitude[0].y(0), 0.0f);  // prepared: fade-in from silence

  test::RecordBuilder noise;
  noise.noiseBlock(5, 0.3f);
  const std::string noisePath = temp.writeFile("new.v7n", bytesOf(noise)).string();
  ASSERT_TRUE(loadNoiseBlockFile(*engine, 1, 0, 0, noisePath.c_str()));
  EXPECT_EQ(slot.noise[0][0].count, 6);
  EXPECT_EQ(slot.noise[0][1].count, 3);
  EXPECT_FLOAT_EQ(slot.harmonics[2][1].baseFrequency, 1000.0f);
}

TEST_F(EngineLoaderTest, TheAnalysisResultIsAHarmonicAndANoiseBlockInOneStream) {
  test::RecordBuilder result;
  result.harmonicBlock(440.0f, 0.7f).noiseBlock(4, 0.2f);
  ByteStream stream;
  stream.openMemoryForReading(result.data.data(), static_cast<std::int32_t>(result.data.size()));
  ASSERT_TRUE(readLayerBlocks(*engine, 1, 1, 0, stream));
  EXPECT_FLOAT_EQ(engine->slot(1).harmonics[1][0].baseFrequency, 440.0f);
  EXPECT_EQ(engine->slot(1).noise[1][0].count, 5);
}

TEST_F(EngineLoaderTest, FilesThatDoNotOpenAndPlacesOutOfRangeChangeNothing) {
  test::RecordBuilder harmonic;
  harmonic.harmonicBlock(1000.0f, 0.9f);
  const std::string path = temp.writeFile("h.v7h", bytesOf(harmonic)).string();
  const std::string empty = temp.writeFile("empty.v7h", "").string();
  const std::string missing = (temp.path() / "missing.v7v").string();
  EXPECT_FALSE(loadHarmonicBlockFile(*engine, 1, 0, 0, empty.c_str()));
  EXPECT_FALSE(loadHarmonicBlockFile(*engine, 1, 0, 0, missing.c_str()));
  EXPECT_FALSE(loadVoiceFile(*engine, 1, missing.c_str()));
  EXPECT_FALSE(loadVoiceFile(*engine, 4, path.c_str()));
  EXPECT_FALSE(loadHarmonicBlockFile(*engine, 1, 8, 0, path.c_str()));
  EXPECT_FALSE(loadNoiseBlockFile(*engine, 1, 0, 2, path.c_str()));
  EXPECT_FALSE(loadNoiseBlockFile(*engine, -1, 0, 0, path.c_str()));
  EXPECT_FALSE(loadInstrumentFile(*engine, missing.c_str()));
  EXPECT_STREQ(engine->slot(1).name, "Base");
  EXPECT_FLOAT_EQ(engine->slot(1).harmonics[0][0].baseFrequency, 110.0f);
}

TEST_F(EngineLoaderTest, AFileOf16MegabytesOrMoreIsNotRead) {
  test::RecordBuilder voice;
  voice.voice("Huge", 1, 1, 0.5f);
  std::string bytes = bytesOf(voice);
  bytes.resize(16 * 1048576, '\0');
  const std::string path = temp.writeFile("huge.v7v", bytes).string();
  EXPECT_FALSE(loadVoiceFile(*engine, 1, path.c_str()));
  EXPECT_STREQ(engine->slot(1).name, "Base");
  bytes.resize(16 * 1048576 - 1);
  const std::string justBelow = temp.writeFile("below.v7v", bytes).string();
  EXPECT_TRUE(loadVoiceFile(*engine, 1, justBelow.c_str()));  // trailing bytes after a voice are ignored
  EXPECT_STREQ(engine->slot(1).name, "Huge");
}

}  // namespace
}  // namespace vt
