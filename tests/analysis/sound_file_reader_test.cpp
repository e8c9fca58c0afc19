// Both sound file readers against a corpus written by libsndfile: the same
// header facts and bit-identical samples, the same refusals, and no crash or
// out-of-file read on cut-off or damaged files.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "analysis/libsndfile_reader.h"
#include "analysis/wave_aiff_reader.h"
#include "sound_file_corpus.h"
#include "tests/support/temp_folder.h"

namespace vt::analysis {
namespace {

using test::appendChunk;
using test::fileBytes;
using test::readAll;

struct CorpusFile {
  std::string name;
  int format;
  int channels;
  int rate;
  int note;  // written as a smpl chunk when above 0
  SoundFileType type;
};

std::vector<CorpusFile> corpus() {
  const int big = SF_ENDIAN_BIG;
  const SoundFileType wave = SoundFileType::Wave, aiff = SoundFileType::Aiff;
  return {
      {"u8.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 1, 8000, 0, wave},
      {"s16.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, 60, wave},
      {"s24.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 3, 48000, 0, wave},
      {"s32.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_32, 4, 96000, 72, wave},
      {"f32.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 5, 22050, 0, wave},
      {"f64.wav", SF_FORMAT_WAV | SF_FORMAT_DOUBLE, 6, 44100, 45, wave},
      {"x16.wav", SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, 2, 44100, 0, wave},
      {"x24.wav", SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, 6, 48000, 50, wave},
      {"xf32.wav", SF_FORMAT_WAVEX | SF_FORMAT_FLOAT, 1, 192000, 0, wave},
      {"xf64.wav", SF_FORMAT_WAVEX | SF_FORMAT_DOUBLE, 3, 44100, 0, wave},
      {"rifx16.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16 | big, 1, 44100, 61, wave},
      {"rifx24.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24 | big, 2, 44100, 0, wave},
      {"rifx32.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_32 | big, 3, 32000, 0, wave},
      {"rifxf32.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT | big, 2, 44100, 0, wave},
      {"rifxf64.wav", SF_FORMAT_WAV | SF_FORMAT_DOUBLE | big, 1, 44100, 0, wave},
      {"s8.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_S8, 1, 11025, 0, aiff},
      {"s16.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 2, 44100, 0, aiff},
      {"s24.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 4, 88200, 0, aiff},
      {"s32.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_32, 6, 44100, 0, aiff},
  };
}

// Smallest step of a format's samples, for checking decoded values.
float quantum(int format) {
  switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_PCM_S8:
      return 1.0f / 128.0f;
    case SF_FORMAT_PCM_16:
      return 1.0f / 32768.0f;
    case SF_FORMAT_PCM_24:
      return 1.0f / 8388608.0f;
    default:
      return 1e-7f;
  }
}

struct ReadResult {
  bool opened = false;
  SoundFileInfo info;
  std::vector<float> samples;
  bool readOk = false;
};

ReadResult readWith(SoundFileReader& reader, const std::string& path, std::int64_t step) {
  ReadResult result;
  result.opened = reader.open(path.c_str());
  if (result.opened) {
    result.info = reader.info();
    result.readOk = readAll(reader, result.samples, step);
  }
  reader.close();
  return result;
}

void expectSameInfo(const SoundFileInfo& a, const SoundFileInfo& b, const std::string& what) {
  EXPECT_EQ(a.type, b.type) << what;
  EXPECT_EQ(a.sampleRate, b.sampleRate) << what;
  EXPECT_EQ(a.channels, b.channels) << what;
  EXPECT_EQ(a.frames, b.frames) << what;
  EXPECT_EQ(a.baseNote, b.baseNote) << what;
}

// Bitwise equality, reporting the first difference only.
void expectSameSamples(const std::vector<float>& a, const std::vector<float>& b, const std::string& what) {
  ASSERT_EQ(a.size(), b.size()) << what;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::memcmp(&a[i], &b[i], sizeof(float)) != 0) {
      FAIL() << what << ": sample " << i << " " << a[i] << " vs " << b[i];
    }
  }
}

class SoundFileReaderTest : public ::testing::Test {
protected:
  std::string path(const std::string& name) const { return (folder.path() / name).string(); }
  test::TempFolder folder;
  LibsndfileReader library;
  WaveAiffReader own;
};

TEST_F(SoundFileReaderTest, BothReadersDeliverTheSameFactsAndSamplesForEveryAcceptedFormat) {
  constexpr int kFrames = 1236;  // even: libsndfile pads an odd 8-bit AIFF sound with a frame
  int seed = 1;
  for (const CorpusFile& file : corpus()) {
    const std::string p = path(file.name);
    const std::vector<float> written = test::testSignal(kFrames, file.channels, static_cast<std::uint32_t>(seed++));
    ASSERT_TRUE(test::writeSoundFile(p, file.format, file.channels, file.rate, written, file.note)) << file.name;

    const ReadResult a = readWith(library, p, 4096);
    const ReadResult b = readWith(own, p, 333);  // uneven steps cross the decode buffer differently
    ASSERT_TRUE(a.opened && a.readOk) << file.name;
    ASSERT_TRUE(b.opened && b.readOk) << file.name;
    expectSameInfo(a.info, b.info, file.name);
    EXPECT_EQ(b.info.type, file.type) << file.name;
    EXPECT_EQ(b.info.sampleRate, file.rate) << file.name;
    EXPECT_EQ(b.info.channels, file.channels) << file.name;
    EXPECT_EQ(b.info.frames, kFrames) << file.name;
    EXPECT_EQ(b.info.baseNote, file.note) << file.name;
    expectSameSamples(a.samples, b.samples, file.name);
    // And they are the written signal, to the format's resolution.
    ASSERT_EQ(b.samples.size(), written.size());
    for (std::size_t i = 0; i < written.size(); ++i)
      ASSERT_NEAR(b.samples[i], written[i], 2.0f * quantum(file.format)) << file.name << " sample " << i;
  }
}

TEST_F(SoundFileReaderTest, InstrumentChunksAfterOddLengthChunksGiveTheBaseNote) {
  auto aiffInst = [](int note) {
    std::string inst(20, '\0');
    inst[0] = static_cast<char>(note);
    inst[3] = 127;
    inst[5] = 127;
    return inst;
  };
  auto wavInst = [](int note) { return std::string{char(note), 0, 0, 0, 127, 1, 127}; };  // 7 bytes: odd
  const std::vector<float> signal = test::testSignal(500, 2, 9);
  struct Case {
    std::string name;
    int format;
    int smplNote;
    std::vector<std::pair<std::string, std::string>> chunks;
    int expected;
  };
  const std::vector<Case> cases = {
      {"inst.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0, {{"inst", wavInst(64)}}, 64},
      {"odd_inst.wav",
       SF_FORMAT_WAV | SF_FORMAT_PCM_24,
       0,
       {{"abcd", "xyz"}, {"inst", wavInst(70)}, {"efgh", "12345"}},
       70},
      {"smpl_wins.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 60, {{"inst", wavInst(70)}}, 60},
      {"bad_inst.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0, {{"inst", wavInst(200)}}, 0},
      {"inst.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 0, {{"INST", aiffInst(55)}}, 55},
      {"odd_inst.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 0, {{"ABCD", "x"}, {"INST", aiffInst(40)}}, 40},
      {"zero_inst.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 0, {{"INST", aiffInst(0)}}, 0},
  };
  for (const Case& c : cases) {
    const std::string p = path(c.name);
    ASSERT_TRUE(test::writeSoundFile(p, c.format, 2, 44100, signal, c.smplNote)) << c.name;
    for (const auto& [id, payload] : c.chunks) appendChunk(p, id.c_str(), payload);
    const ReadResult a = readWith(library, p, 4096);
    const ReadResult b = readWith(own, p, 4096);
    ASSERT_TRUE(a.opened && b.opened) << c.name;
    EXPECT_EQ(b.info.baseNote, c.expected) << c.name;
    expectSameInfo(a.info, b.info, c.name);
    expectSameSamples(a.samples, b.samples, c.name);
  }
}

TEST_F(SoundFileReaderTest, AifcAndOtherEncodingsAndContainersAreRefusedByBoth) {
  struct Case {
    std::string name;
    int format;
    int channels;
    SoundFileType type;  // what the header bytes name
  };
  const std::vector<Case> cases = {
      {"float.aiff", SF_FORMAT_AIFF | SF_FORMAT_FLOAT, 2, SoundFileType::Aifc},
      {"double.aiff", SF_FORMAT_AIFF | SF_FORMAT_DOUBLE, 1, SoundFileType::Aifc},
      {"ulaw.aiff", SF_FORMAT_AIFF | SF_FORMAT_ULAW, 1, SoundFileType::Aifc},
      {"little.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16 | SF_ENDIAN_LITTLE, 1, SoundFileType::Aifc},
      {"ulaw.wav", SF_FORMAT_WAV | SF_FORMAT_ULAW, 1, SoundFileType::Wave},
      {"alaw.wav", SF_FORMAT_WAV | SF_FORMAT_ALAW, 2, SoundFileType::Wave},
      {"ima.wav", SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, 1, SoundFileType::Wave},
      {"ms.wav", SF_FORMAT_WAV | SF_FORMAT_MS_ADPCM, 2, SoundFileType::Wave},
      {"xulaw.wav", SF_FORMAT_WAVEX | SF_FORMAT_ULAW, 1, SoundFileType::Wave},
      {"pcm.au", SF_FORMAT_AU | SF_FORMAT_PCM_16, 1, SoundFileType::Unknown},
      {"pcm.w64", SF_FORMAT_W64 | SF_FORMAT_PCM_16, 1, SoundFileType::Unknown},
      {"pcm.caf", SF_FORMAT_CAF | SF_FORMAT_PCM_16, 1, SoundFileType::Unknown},
  };
  for (const Case& c : cases) {
    const std::string p = path(c.name);
    ASSERT_TRUE(test::writeSoundFile(p, c.format, c.channels, 8000, test::testSignal(300, c.channels, 3))) << c.name;
    EXPECT_FALSE(library.open(p.c_str())) << c.name;
    EXPECT_FALSE(own.open(p.c_str())) << c.name;
    EXPECT_EQ(own.header().type, c.type) << c.name;
    EXPECT_FALSE(library.isOpen() || own.isOpen()) << c.name;
  }
  EXPECT_FALSE(library.open(path("missing.wav").c_str()));
  EXPECT_FALSE(own.open(path("missing.wav").c_str()));
}

TEST_F(SoundFileReaderTest, CutOffFilesAreRefusedOrReadAsFarAsTheyGoByBoth) {
  struct Source {
    std::string name;
    int format;
    int channels;
    int note;
  };
  const std::vector<Source> sources = {{"cut24.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2, 60},
                                       {"cutf32.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT | SF_ENDIAN_BIG, 3, 0},
                                       {"cut16.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 2, 0}};
  for (const Source& s : sources) {
    const std::string whole = path(s.name);
    const std::vector<float> signal = test::testSignal(400, s.channels, 5);
    ASSERT_TRUE(test::writeSoundFile(whole, s.format, s.channels, 44100, signal, s.note));
    const std::string bytes = fileBytes(whole);
    const ReadResult full = readWith(own, whole, 4096);
    ASSERT_TRUE(full.opened);
    std::vector<std::size_t> lengths = {0, 4, 8, 11, 12, 16, 20, 24, 36, 40, 44, 52, 60, 70, 80, 90, 100};
    for (std::size_t n = 101; n < bytes.size(); n += 97) lengths.push_back(n);
    lengths.push_back(bytes.size() - 1);
    for (std::size_t n : lengths) {
      if (n > bytes.size()) continue;
      const std::string p = path("cut_" + std::to_string(n) + "_" + s.name);
      test::writeBytes(p, bytes.substr(0, n));
      const std::string what = s.name + " cut at " + std::to_string(n);
      const ReadResult a = readWith(library, p, 4096);
      const ReadResult b = readWith(own, p, 100);
      EXPECT_EQ(a.opened, b.opened) << what;
      if (!a.opened || !b.opened) continue;
      EXPECT_TRUE(a.readOk && b.readOk) << what;
      expectSameInfo(a.info, b.info, what);
      expectSameSamples(a.samples, b.samples, what);
      ASSERT_LE(b.samples.size(), full.samples.size()) << what;
      EXPECT_TRUE(std::equal(b.samples.begin(), b.samples.end(), full.samples.begin())) << what;
    }
  }
}

TEST_F(SoundFileReaderTest, GarbageAndDamagedFilesNeverCrashOrReadOutsideTheFile) {
  std::mt19937 random(20261208u);
  const std::vector<float> signal = test::testSignal(64, 2, 11);
  std::vector<std::string> seeds;
  for (int format : {SF_FORMAT_WAV | SF_FORMAT_PCM_16, SF_FORMAT_WAVEX | SF_FORMAT_PCM_24,
                     SF_FORMAT_WAV | SF_FORMAT_DOUBLE | SF_ENDIAN_BIG, SF_FORMAT_AIFF | SF_FORMAT_PCM_32}) {
    const std::string p = path("seed");
    ASSERT_TRUE(test::writeSoundFile(p, format, 2, 44100, signal, 60));
    seeds.push_back(fileBytes(p));
  }
  const char* prefixes[] = {"RIFF\x10\0\0\0WAVE", "RIFX\0\0\0\x10WAVE",
                            "FORM\0\0\0\x10"
                            "AIFF",
                            "FORM\0\0\0\x10"
                            "AIFC"};
  for (int round = 0; round < 600; ++round) {
    std::string bytes;
    if (round % 3 == 0) {
      bytes.resize(random() % 300);
      for (char& c : bytes) c = static_cast<char>(random());
      if (round % 2 == 0) bytes.insert(0, std::string(prefixes[random() % 4], 12));
    } else {
      bytes = seeds[random() % seeds.size()];
      const int flips = 1 + static_cast<int>(random() % 8);
      for (int f = 0; f < flips; ++f) bytes[random() % bytes.size()] = static_cast<char>(random());
      if (round % 5 == 0) bytes.resize(random() % bytes.size());
    }
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    if (own.openMemory(data, bytes.size())) {
      const SoundFileInfo info = own.info();
      std::vector<float> samples;
      ASSERT_TRUE(readAll(own, samples, 7)) << "round " << round;
      ASSERT_EQ(samples.size(), static_cast<std::size_t>(info.frames * info.channels)) << "round " << round;
      ASSERT_LE(static_cast<std::uint64_t>(info.frames), bytes.size());
      EXPECT_TRUE(info.baseNote >= 0 && info.baseNote <= 127);
    }
    own.close();
    if (round % 4 == 0) {  // libsndfile takes files only
      // Whatever the libsndfile-backed reader loads, ours loads the same way.
      const std::string p = path("garbage");
      test::writeBytes(p, bytes);
      const ReadResult a = readWith(library, p, 4096);
      if (!a.opened) continue;
      const ReadResult b = readWith(own, p, 4096);
      ASSERT_TRUE(b.opened) << "round " << round;
      expectSameInfo(a.info, b.info, "round " + std::to_string(round));
      expectSameSamples(a.samples, b.samples, "round " + std::to_string(round));
    }
  }
}

}  // namespace
}  // namespace vt::analysis
