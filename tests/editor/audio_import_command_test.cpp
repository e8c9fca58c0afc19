// Loading a recording into a voice while the engine plays.
#include "editor/audio_import_command.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/synth_engine.h"
#include "platform/headless_feedback.h"
#include "tests/analysis/sound_file_corpus.h"
#include "tests/engine/voice_test_sounds.h"
#include "tests/support/temp_folder.h"

namespace vt {
namespace {

constexpr int kRate = 44100;
constexpr int kBlock = 256;

// 1.5 s of a 220 Hz tone with harmonic h at 0.5 / h, after 0.1 s of silence.
std::vector<float> harmonicTone() {
  std::vector<float> samples(kRate * 16 / 10, 0.0f);
  for (std::size_t i = kRate / 10; i < samples.size(); ++i)
    for (int h = 1; h <= 8; ++h)
      samples[i] += 0.5f / h * static_cast<float>(std::sin(2 * M_PI * 220.0 * h * i / kRate));
  return samples;
}

class AudioImport : public ::testing::Test {
protected:
  AudioImport() {
    engine->setParameter(Stretch, 0.5f);
    engine->setParameter(DoMorphing, 0.0f);
    engine->setParameter(GlobalLoopOn, 1.0f);  // the held note sustains however long the analysis takes
    for (int p : {MorphHarmX, MorphHarmY, MorphNoiseX, MorphNoiseY}) engine->setParameter(p, 0.0f);  // slot A
    test::buildSlot(engine->slot(0), 261.6f, {{1, 0.5f}, {2, 0.2f}}, 30.0f);
    for (int s = 1; s < kNumSlots; ++s) test::buildSlot(engine->slot(s), 110.0f, {{1, 0.3f}}, 2.0f);
    tone = temp.path() / "tone.wav";
    EXPECT_TRUE(test::writeSoundFile(tone.string(), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, kRate, harmonicTone(), 57));
    engine->resume();  // as a host does before it asks for audio: loads then wait for a block
  }
  // One block; its RMS.
  double renderBlock() {
    float left[kBlock], right[kBlock];
    engine->render(left, right, kBlock);
    double sum = 0.0;
    for (float x : left) sum += static_cast<double>(x) * x;
    return std::sqrt(sum / kBlock);
  }

  test::TempFolder temp;
  std::unique_ptr<SynthEngine> engine = std::make_unique<SynthEngine>();
  HeadlessFeedback feedback;
  std::filesystem::path tone;
};

TEST_F(AudioImport, ARecordingBecomesOneLayerOfTheChosenMultisampleWhileNotesPlay) {
  const std::uint8_t noteOn[3] = {0x90, 60, 100};
  engine->queueMessage(noteOn, 3, 0);
  for (int i = 0; i < 40; ++i) renderBlock();
  const double steady = renderBlock();
  ASSERT_GT(steady, 0.01);

  AudioImportCommand command(*engine, feedback);
  ASSERT_TRUE(command.start(tone.c_str(), 2, 0, 1));
  EXPECT_FALSE(command.start(tone.c_str(), 1, 0, 0));  // one import at a time
  // The held note keeps sounding, block after block, while the analysis runs and is adopted.
  double quietest = steady;
  int blocks = 0;
  while (command.isRunning() || blocks < 4) {
    // About real time: a free-running loop would play past the end of the held sound.
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    quietest = std::min(quietest, renderBlock());
    if (!command.isRunning()) ++blocks;
  }
  EXPECT_GT(quietest, 0.7 * steady);  // blocks of 256 frames vary by about 15 % with the phase of the partials
  EXPECT_TRUE(command.takeFinished());
  EXPECT_FALSE(command.takeFinished());
  ASSERT_EQ(command.lastOutcome(), AudioImportCommand::Outcome::Loaded);

  // The header's note 57 is the root of both layers; the loud layer holds the harmonics.
  const VoiceSlot& slot = engine->slot(2);
  EXPECT_NEAR(command.lastRootFrequency(), 220.0f, 0.01f);
  EXPECT_FLOAT_EQ(slot.harmonics[0][0].baseFrequency, command.lastRootFrequency());
  EXPECT_FLOAT_EQ(slot.harmonics[0][1].baseFrequency, command.lastRootFrequency());
  HarmonicSet& loud = engine->slot(2).harmonics[0][1];
  const float first = loud.amplitude[0].evaluate(0.8f), second = loud.amplitude[1].evaluate(0.8f);
  ASSERT_GT(first, 0.0f);
  EXPECT_NEAR(20 * std::log10(second / first), 20 * std::log10(0.5), 1.0);
  EXPECT_NEAR(engine->slot(2).harmonics[0][0].amplitude[0].evaluate(0.8f), 0.3f, 1e-6f);  // soft layer kept
  EXPECT_EQ(feedback.progressWindowsOpened(), 1);
  EXPECT_EQ(feedback.progressWindowsOpen(), 0);
  EXPECT_DOUBLE_EQ(feedback.lastProgress(), 1.0);
  EXPECT_TRUE(feedback.messages().empty());
}

TEST_F(AudioImport, UnreadableFilesShowTheMessageAndChangeNothing) {
  const std::string garbage = temp.writeFile("noise.wav", std::string(5000, 'x')).string();
  AudioImportCommand command(*engine, feedback);
  EXPECT_FALSE(command.start(garbage.c_str(), 4, 0, 0));
  EXPECT_FALSE(command.start(garbage.c_str(), 0, 8, 0));
  EXPECT_FALSE(command.start(garbage.c_str(), 0, 0, 2));
  EXPECT_FALSE(command.start("", 0, 0, 0));
  ASSERT_TRUE(command.start(garbage.c_str(), 1, 0, 0));
  command.wait();
  renderBlock();
  EXPECT_EQ(command.lastOutcome(), AudioImportCommand::Outcome::Unreadable);
  ASSERT_EQ(feedback.messages().size(), 1u);
  EXPECT_EQ(feedback.messages()[0].text, "Unsupported file format.\n");
  EXPECT_EQ(feedback.messages()[0].title, "Veltrane 7000");
  EXPECT_EQ(feedback.progressWindowsOpened(), 0);
  EXPECT_FLOAT_EQ(engine->slot(1).harmonics[0][0].baseFrequency, 110.0f);
  EXPECT_NEAR(engine->slot(1).harmonics[0][0].amplitude[0].evaluate(1.0f), 0.3f, 1e-6f);
}

TEST_F(AudioImport, DestroyingTheCommandMidAnalysisWaitsForIt) {
  {
    AudioImportCommand command(*engine, feedback);
    ASSERT_TRUE(command.start(tone.c_str(), 3, 1, 0));
  }  // the destructor joins; nothing is left running
  EXPECT_EQ(feedback.progressWindowsOpen(), 0);
  renderBlock();
  EXPECT_NEAR(engine->slot(3).harmonics[1][0].baseFrequency, 220.0f, 0.01f);
}

}  // namespace
}  // namespace vt
