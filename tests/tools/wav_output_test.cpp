// WAV output: our own float writer's files read back through libsndfile, and
// the platform output (libsndfile on Linux) writing the same format.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

#include "tools/render/file_bytes.h"
#include "tools/render/float_wav_writer.h"
#include "tools/render/sample_sink.h"

namespace vt::render {
namespace {

struct ReadBack {
  SF_INFO info{};
  std::vector<float> samples;  // interleaved
};

bool readWithLibsndfile(const std::string& path, ReadBack& result) {
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &result.info);
  if (!file) return false;
  result.samples.assign(static_cast<std::size_t>(result.info.frames * result.info.channels), 0.0f);
  const sf_count_t got = sf_readf_float(file, result.samples.data(), result.info.frames);
  sf_close(file);
  return got == result.info.frames;
}

// Test signal: a ramp on the left, values of every magnitude (beyond full
// scale, tiny, negative zero) on the right.
void makeSignal(int frames, std::vector<float>& left, std::vector<float>& right) {
  left.resize(static_cast<std::size_t>(frames));
  right.resize(static_cast<std::size_t>(frames));
  const float specials[] = {0.0f, -0.0f, 1.0f, -1.0f, 3.75f, -12.5f, 1e-30f, std::numeric_limits<float>::min()};
  for (int i = 0; i < frames; ++i) {
    left[static_cast<std::size_t>(i)] = static_cast<float>(i) / frames - 0.5f;
    right[static_cast<std::size_t>(i)] =
        (i % 3 == 0) ? specials[(i / 3) % 8] : std::sin(0.01f * static_cast<float>(i)) * 0.8f;
  }
}

std::string tempPath(const char* name) { return ::testing::TempDir() + name; }

TEST(FloatWavWriter, WritesAFileLibsndfileReadsBackExactly) {
  const std::string path = tempPath("vt7000_own_writer.wav");
  std::vector<float> left, right;
  makeSignal(5000, left, right);
  {
    FloatWavWriter writer;
    std::string error;
    ASSERT_TRUE(writer.open(path, 48000, error)) << error;
    // Uneven blocks, an empty one among them.
    int done = 0;
    for (int block : {1, 0, 511, 2000, 2488}) {
      ASSERT_TRUE(writer.write(left.data() + done, right.data() + done, block));
      done += block;
    }
    EXPECT_EQ(writer.framesWritten(), 5000u);
    ASSERT_TRUE(writer.close());
  }
  ReadBack back;
  ASSERT_TRUE(readWithLibsndfile(path, back));
  EXPECT_EQ(back.info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
  EXPECT_EQ(back.info.channels, 2);
  EXPECT_EQ(back.info.samplerate, 48000);
  ASSERT_EQ(back.info.frames, 5000);
  for (int i = 0; i < 5000; ++i) {
    ASSERT_EQ(std::memcmp(&back.samples[2 * i], &left[i], 4), 0) << "left " << i;
    ASSERT_EQ(std::memcmp(&back.samples[2 * i + 1], &right[i], 4), 0) << "right " << i;
  }

  // The header fields a strict reader checks, byte for byte.
  std::vector<std::uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(readFileBytes(path, 1 << 20, bytes, error));
  ASSERT_EQ(bytes.size(), FloatWavWriter::kHeaderBytes + 5000u * 8u);
  auto u32 = [&](std::size_t at) {
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (std::uint32_t{bytes[at + 3]} << 24);
  };
  EXPECT_EQ(std::memcmp(bytes.data(), "RIFF", 4), 0);
  EXPECT_EQ(u32(4), bytes.size() - 8);
  EXPECT_EQ(bytes[20], 3);          // IEEE float
  EXPECT_EQ(u32(28), 48000u * 8u);  // bytes per second
  EXPECT_EQ(u32(46), 5000u);        // fact: frames
  EXPECT_EQ(u32(54), 5000u * 8u);   // data size
  std::remove(path.c_str());
}

TEST(FloatWavWriter, EmptyFileIsValidAndMisuseFailsCleanly) {
  const std::string path = tempPath("vt7000_empty.wav");
  FloatWavWriter writer;
  std::string error;
  float sample = 0.5f;
  EXPECT_FALSE(writer.write(&sample, &sample, 1));  // not open
  EXPECT_FALSE(writer.open(path, 0, error));
  ASSERT_TRUE(writer.open(path, 44100, error)) << error;
  ASSERT_TRUE(writer.close());
  EXPECT_FALSE(writer.write(&sample, &sample, 1));  // closed
  ReadBack back;
  ASSERT_TRUE(readWithLibsndfile(path, back));
  EXPECT_EQ(back.info.frames, 0);
  EXPECT_EQ(back.info.channels, 2);
  std::remove(path.c_str());

  EXPECT_FALSE(writer.open("/nonexistent-folder/x.wav", 44100, error));
  EXPECT_NE(error.find("cannot create"), std::string::npos);
}

TEST(WavOutput, PlatformWriterProducesStereoFloatWav) {
  const std::string path = tempPath("vt7000_platform.wav");
  std::vector<float> left, right;
  makeSignal(3000, left, right);
  std::string error;
  {
    std::unique_ptr<SampleSink> sink = openWavOutput(path, 96000, error);
    ASSERT_TRUE(sink) << error;
    ASSERT_TRUE(sink->write(left.data(), right.data(), 1000));
    ASSERT_TRUE(sink->write(left.data() + 1000, right.data() + 1000, 2000));
    ASSERT_TRUE(sink->close());
  }
  ReadBack back;
  ASSERT_TRUE(readWithLibsndfile(path, back));
  EXPECT_EQ(back.info.format & SF_FORMAT_SUBMASK, SF_FORMAT_FLOAT);
  EXPECT_EQ(back.info.samplerate, 96000);
  ASSERT_EQ(back.info.frames, 3000);
  for (int i = 0; i < 3000; ++i) {
    ASSERT_EQ(std::memcmp(&back.samples[2 * i], &left[i], 4), 0) << i;
    ASSERT_EQ(std::memcmp(&back.samples[2 * i + 1], &right[i], 4), 0) << i;
  }
  std::remove(path.c_str());
  EXPECT_FALSE(openWavOutput("/nonexistent-folder/x.wav", 44100, error));
}

}  // namespace
}  // namespace vt::render
