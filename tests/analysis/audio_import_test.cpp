// Import: mixing to mono, the one-pass trim/normalise/limit against the
// whole-block steps, their edge cases, unreadable rates, and the choice of the
// root frequency.
#include "analysis/audio_import.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "analysis/libsndfile_reader.h"
#include "analysis/pitch_detection.h"
#include "analysis/root_frequency.h"
#include "analysis/wave_aiff_reader.h"
#include "engine/note_frequency_table.h"
#include "sound_file_corpus.h"
#include "tests/support/temp_folder.h"

namespace vt::analysis {
namespace {

ImportedAudio block(const std::vector<float>& values, float rate = 44100.0f) {
  ImportedAudio audio;
  audio.samples.reset(new float[values.size() + 1]);
  std::copy(values.begin(), values.end(), audio.samples.get());
  audio.count = static_cast<int>(values.size());
  audio.sampleRate = rate;
  return audio;
}

std::vector<float> values(const ImportedAudio& audio) {
  return std::vector<float>(audio.samples.get(), audio.samples.get() + audio.count);
}

// The block as reading the whole file and then running the whole-block steps gives it.
ImportedAudio importWhole(SoundFileReader& reader, const std::string& path) {
  ImportedAudio audio;
  EXPECT_TRUE(reader.open(path.c_str()));
  std::vector<float> interleaved;
  EXPECT_TRUE(test::readAll(reader, interleaved));
  const int channels = reader.info().channels;
  const std::int64_t frames = static_cast<std::int64_t>(interleaved.size()) / channels;
  audio.samples.reset(new float[static_cast<std::size_t>(frames) + 1]);
  mixDownFrames(interleaved.data(), frames, channels, audio.samples.get());
  audio.count = static_cast<int>(frames);
  audio.sampleRate = static_cast<float>(reader.info().sampleRate);
  reader.close();
  trimSilence(audio);
  normalizePeak(audio);
  limitLength(audio);
  return audio;
}

class AudioImportTest : public ::testing::Test {
protected:
  std::string path(const std::string& name) const { return (folder.path() / name).string(); }
  test::TempFolder folder;
  LibsndfileReader library;
  WaveAiffReader own;
};

TEST_F(AudioImportTest, StereoIsMixedToTheMeanOfItsChannels) {
  // Sample 0 is silent and sample 1 differs, so only sample 0 is cut; the
  // last frame is loud, so nothing is cut at the end; the peak is 0.75.
  const std::vector<float> stereo = {0.0f, 0.0f, 0.5f, 0.25f, -0.5f, -1.0f, 0.125f, 0.0f, 1.0f, 0.5f};
  const std::string p = path("stereo.wav");
  ASSERT_TRUE(test::writeSoundFile(p, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, 44100, stereo));
  for (SoundFileReader* reader : {static_cast<SoundFileReader*>(&library), static_cast<SoundFileReader*>(&own)}) {
    ImportedAudio audio;
    ASSERT_TRUE(importAudioFile(*reader, p.c_str(), audio));
    EXPECT_EQ(audio.sampleRate, 44100.0f);
    EXPECT_EQ(audio.baseNote, -1);
    const std::vector<float> expected = {0.375f / 0.75f, -0.75f / 0.75f, 0.0625f / 0.75f, 0.75f / 0.75f};
    ASSERT_EQ(audio.count, 4);
    for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(audio.samples[i], expected[i]) << i;
  }
  ImportedAudio viaPlatform;
  EXPECT_TRUE(importAudioFile(p.c_str(), viaPlatform));
  EXPECT_EQ(viaPlatform.count, 4);
}

TEST_F(AudioImportTest, TrimAndNormaliseEdgeCases) {
  // All zero: nothing cut at the start, the end is the last sample, no scaling.
  ImportedAudio zeros = block({0.0f, 0.0f, 0.0f, 0.0f});
  trimSilence(zeros);
  normalizePeak(zeros);
  EXPECT_EQ(values(zeros), std::vector<float>(4, 0.0f));

  // Nothing above the threshold: from the first differing sample to the end.
  ImportedAudio quiet = block({0.0f, 0.001f, -0.0005f, 0.0f});
  trimSilence(quiet);
  EXPECT_EQ(values(quiet), (std::vector<float>{0.001f, -0.0005f, 0.0f}));
  normalizePeak(quiet);
  EXPECT_FLOAT_EQ(quiet.samples[0], 1.0f);
  EXPECT_FLOAT_EQ(quiet.samples[1], -0.5f);

  // A leading DC run is dropped like silence; the quiet tail goes too.
  ImportedAudio dc = block({0.3f, 0.3f, 0.3f, -0.6f, 0.2f, 0.001f, 0.0f});
  trimSilence(dc);
  EXPECT_EQ(values(dc), (std::vector<float>{-0.6f, 0.2f}));

  // The last loud sample lies before the first differing one: empty, never negative.
  ImportedAudio crossed = block({0.5f, 0.5f, 0.5f, 0.001f, 0.0f});
  trimSilence(crossed);
  EXPECT_EQ(crossed.count, 0);
  normalizePeak(crossed);
  limitLength(crossed);
  EXPECT_EQ(crossed.count, 0);

  ImportedAudio empty;
  trimSilence(empty);
  normalizePeak(empty);
  limitLength(empty);
  EXPECT_EQ(empty.count, 0);

  // The 12-second limit: 20 s at 44.1 kHz keep 529200 samples, exactly 12 s all.
  EXPECT_EQ(limitedCount(882000, 44100.0), 529200);
  EXPECT_EQ(limitedCount(529200, 44100.0), 529200);
  EXPECT_EQ(limitedCount(529201, 44100.0), 529200);
}

TEST_F(AudioImportTest, ImportedEdgeCasesMatchTheWholeBlockSteps) {
  struct Case {
    std::string name;
    std::vector<float> mono;
    int expectedCount;
  };
  const std::vector<Case> cases = {
      {"zeros.wav", std::vector<float>(1000, 0.0f), 1000},
      {"dc.wav", std::vector<float>(700, 0.25f), 700},
      {"crossed.wav", {0.5f, 0.5f, 0.5f, 0.001f, 0.0f}, 0},
      {"empty.wav", {}, 0},
  };
  for (const Case& c : cases) {
    const std::string p = path(c.name);
    ASSERT_TRUE(test::writeSoundFile(p, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 8000, c.mono));
    ImportedAudio streamed;
    ASSERT_TRUE(importAudioFile(own, p.c_str(), streamed)) << c.name;
    EXPECT_EQ(streamed.count, c.expectedCount) << c.name;
    const ImportedAudio whole = importWhole(own, p);
    ASSERT_EQ(streamed.count, whole.count) << c.name;
    for (int i = 0; i < whole.count; ++i) ASSERT_EQ(streamed.samples[i], whole.samples[i]) << c.name << " " << i;
  }
}

TEST_F(AudioImportTest, ALongFileGivesTheBlockThatHoldingItWholeWouldGive) {
  // 25 s of stereo 24-bit at 8 kHz: 1.5 s of silence, a tone that swells to its
  // peak 16 s in (past the 12 s that are kept, so the scale depends on samples
  // that are never held), then a quiet tail.
  constexpr int kRate = 8000;
  constexpr int kFrames = 25 * kRate;
  std::vector<float> stereo(2 * static_cast<std::size_t>(kFrames), 0.0f);
  for (int i = static_cast<int>(1.5 * kRate); i < kFrames; ++i) {
    const double t = static_cast<double>(i) / kRate;
    const double swell = t < 16.0 ? 0.2 + 0.04 * t : (t < 22.0 ? 0.84 - 0.13 * (t - 16.0) : 0.0005);
    stereo[2 * i] = static_cast<float>(swell * std::sin(2.0 * M_PI * 220.0 * t));
    stereo[2 * i + 1] = static_cast<float>(swell * 0.5 * std::sin(2.0 * M_PI * 330.0 * t));
  }
  const std::string p = path("long.wav");
  ASSERT_TRUE(test::writeSoundFile(p, SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2, kRate, stereo));
  for (SoundFileReader* reader : {static_cast<SoundFileReader*>(&library), static_cast<SoundFileReader*>(&own)}) {
    ImportedAudio streamed;
    ASSERT_TRUE(importAudioFile(*reader, p.c_str(), streamed));
    const ImportedAudio whole = importWhole(*reader, p);
    ASSERT_EQ(whole.count, 12 * kRate);
    ASSERT_EQ(streamed.count, whole.count);
    for (int i = 0; i < whole.count; ++i) ASSERT_EQ(streamed.samples[i], whole.samples[i]) << i;
    float peak = 0.0f;
    for (int i = 0; i < streamed.count; ++i) peak = std::fmax(peak, std::fabs(streamed.samples[i]));
    EXPECT_LT(peak, 0.99f);  // the true peak lies beyond the kept 12 s
  }
}

TEST_F(AudioImportTest, UnreadableFilesFailAndLeaveAnEmptyBlock) {
  const std::vector<float> tone = test::testSignal(2000, 1, 4);
  struct Case {
    std::string name;
    int format;
    int rate;
  };
  const std::vector<Case> cases = {
      {"fast.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 800000},
      {"slow.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 999},
      {"float.aiff", SF_FORMAT_AIFF | SF_FORMAT_FLOAT, 44100},
  };
  for (const Case& c : cases) {
    const std::string p = path(c.name);
    ASSERT_TRUE(test::writeSoundFile(p, c.format, 1, c.rate, tone)) << c.name;
    for (SoundFileReader* reader : {static_cast<SoundFileReader*>(&library), static_cast<SoundFileReader*>(&own)}) {
      ImportedAudio audio = block({0.5f, 0.25f});
      EXPECT_FALSE(importAudioFile(*reader, p.c_str(), audio)) << c.name;
      EXPECT_EQ(audio.count, 0);
      EXPECT_EQ(audio.samples, nullptr);
    }
  }
  ImportedAudio audio;
  EXPECT_FALSE(importAudioFile(path("missing.wav").c_str(), audio));
  const std::string edgeRates[] = {"k1.wav", "k768.wav"};
  ASSERT_TRUE(test::writeSoundFile(path(edgeRates[0]), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 1000, tone));
  ASSERT_TRUE(test::writeSoundFile(path(edgeRates[1]), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 768000, tone));
  for (const std::string& name : edgeRates) EXPECT_TRUE(importAudioFile(path(name).c_str(), audio)) << name;
}

TEST_F(AudioImportTest, RootFrequencyComesFromTheHeaderNoteThenTheFileNameThenDetection) {
  EXPECT_EQ(noteFrequencyFromFileName("/samples/bass g_2x.wav"), 98.0f);
  EXPECT_EQ(noteFrequencyFromFileName("/samples/A 0x.wav"), 27.5f);
  EXPECT_EQ(noteFrequencyFromFileName("C#4x.aif"), noteFrequencyFromFileName("c 4x.aif"));
  EXPECT_EQ(noteFrequencyFromFileName("c_1x.wav"), 32.703121f);
  EXPECT_EQ(noteFrequencyFromFileName("h_2x.wav"), 0.0f);
  EXPECT_EQ(noteFrequencyFromFileName("g-2x.wav"), 0.0f);
  EXPECT_EQ(noteFrequencyFromFileName("g_Ax.wav"), 0.0f);
  EXPECT_EQ(noteFrequencyFromFileName("g_2.wav"), 0.0f);  // one character short: the letter is not there
  EXPECT_EQ(noteFrequencyFromFileName(""), 0.0f);

  // A header note: smpl note 69 is 440 Hz whatever the name says; note 0 is none.
  const std::vector<float> tone = test::testSignal(4000, 1, 8);
  const std::string noted = path("tone g_2x.wav");
  ASSERT_TRUE(test::writeSoundFile(noted, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 44100, tone, 69));
  ImportedAudio audio;
  ASSERT_TRUE(importAudioFile(noted.c_str(), audio));
  EXPECT_EQ(audio.baseNote, 69);
  EXPECT_EQ(rootFrequencyFor(audio, noted.c_str()), NoteFrequencyTable().frequency(69));
  audio.baseNote = -1;
  EXPECT_EQ(rootFrequencyFor(audio, noted.c_str()), 98.0f);
  audio.baseNote = 300;  // not a MIDI note: treated as none rather than as 0 Hz
  EXPECT_EQ(rootFrequencyFor(audio, noted.c_str()), 98.0f);

  // No note anywhere: the detector decides on the imported block.
  const std::string unnamed = path("tone h_2x.wav");
  ASSERT_TRUE(test::writeSoundFile(unnamed, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 44100, tone));
  ASSERT_TRUE(importAudioFile(unnamed.c_str(), audio));
  EXPECT_EQ(audio.baseNote, -1);
  ASSERT_GT(audio.count, 0);
  EXPECT_EQ(rootFrequencyFor(audio, unnamed.c_str()),
            static_cast<float>(detectPitch(audio.samples.get(), static_cast<std::size_t>(audio.count), 44100.0)));
}

}  // namespace
}  // namespace vt::analysis
