// vt7000-voice end to end: exit codes, nothing written for unreadable input,
// the files it writes load through the readers, and the preview of a
// synthetic tone matches the tone's spectrum.
#include "tools/voice/voice_tool.h"

#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "engine/synth_engine.h"
#include "engine/voice_slot.h"
#include "files/byte_stream.h"
#include "files/engine_loader.h"
#include "files/voice_record.h"

namespace vt::voice {
namespace {

namespace fs = std::filesystem;

class VoiceTool : public ::testing::Test {
protected:
  fs::path dir;
  void SetUp() override {
    dir = fs::temp_directory_path() / ("vt7000_voice_tool_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  std::string path(const std::string& name) const { return (dir / name).string(); }

  int run(std::vector<std::string> args, std::string* out = nullptr, std::string* err = nullptr) {
    args.insert(args.begin(), "vt7000-voice");
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    std::FILE* o = std::tmpfile();
    std::FILE* e = std::tmpfile();
    const int rc = runVoiceTool(static_cast<int>(argv.size()), argv.data(), o, e);
    auto slurp = [](std::FILE* f) {
      std::string s;
      std::rewind(f);
      for (int c; (c = std::fgetc(f)) != EOF;) s.push_back(static_cast<char>(c));
      std::fclose(f);
      return s;
    };
    const std::string os = slurp(o), es = slurp(e);
    if (out) *out = os;
    if (err) *err = es;
    return rc;
  }

  void writeWav(const std::string& file, const std::vector<float>& x, int rate) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* f = sf_open(file.c_str(), SFM_WRITE, &info);
    ASSERT_NE(f, nullptr);
    sf_write_float(f, x.data(), static_cast<sf_count_t>(x.size()));
    sf_close(f);
  }
  std::vector<float> readWav(const std::string& file, int* rate = nullptr) {
    SF_INFO info{};
    SNDFILE* f = sf_open(file.c_str(), SFM_READ, &info);
    if (!f) return {};
    std::vector<float> x(static_cast<std::size_t>(info.frames * info.channels));
    sf_read_float(f, x.data(), static_cast<sf_count_t>(x.size()));
    sf_close(f);
    if (rate) *rate = info.samplerate;
    return x;
  }
};

// Harmonic levels and a little noise; 'lead' samples of silence first.
std::vector<float> tone(double f0, const std::vector<double>& amps, double seconds, int rate, int lead) {
  std::vector<float> x(static_cast<std::size_t>(lead), 0.0f);
  std::mt19937 rng(4);
  std::normal_distribution<double> g(0.0, 0.0005);
  const int n = static_cast<int>(seconds * rate);
  for (int i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / rate;
    const double env = std::min(1.0, t / 0.02) * std::min(1.0, (seconds - t) / 0.2);
    double s = 0.0;
    for (std::size_t h = 0; h < amps.size(); ++h) s += amps[h] * std::sin(2.0 * M_PI * f0 * (h + 1) * t + h);
    x.push_back(static_cast<float>(env * s + g(rng)));
  }
  return x;
}

// Mean power of x[from .. from + n) between lo and hi Hz (Hann window, so a
// white noise of variance v gives v * (hi - lo) / (rate / 2) after the window's
// power 3/8 is divided out).
double bandPower(const std::vector<float>& x, std::size_t from, int n, double lo, double hi, int rate) {
  double sum = 0.0;
  for (int k = static_cast<int>(lo * n / rate); k <= static_cast<int>(hi * n / rate); ++k) {
    double re = 0.0, im = 0.0;
    for (int i = 0; i < n; ++i) {
      const double w = 0.5 - 0.5 * std::cos(2.0 * M_PI * i / n);
      const double p = 2.0 * M_PI * k * i / n;
      re += w * x[from + static_cast<std::size_t>(i)] * std::cos(p);
      im += w * x[from + static_cast<std::size_t>(i)] * std::sin(p);
    }
    sum += 2.0 * (re * re + im * im) / (0.375 * n * n);
  }
  return sum;
}

// Magnitude of x[from .. from + n) at frequency f (Hann window).
double magnitudeAt(const std::vector<float>& x, std::size_t from, int n, double f, int rate) {
  double re = 0.0, im = 0.0;
  for (int i = 0; i < n; ++i) {
    const double w = 0.5 - 0.5 * std::cos(2.0 * M_PI * i / n);
    const double p = 2.0 * M_PI * f * i / rate;
    re += w * x[from + static_cast<std::size_t>(i)] * std::cos(p);
    im += w * x[from + static_cast<std::size_t>(i)] * std::sin(p);
  }
  return 4.0 * std::hypot(re, im) / n;
}

TEST_F(VoiceTool, UsageErrorsAndUnreadableInputWriteNothing) {
  std::string err;
  EXPECT_EQ(run({}, nullptr, &err), kExitUsage);
  EXPECT_EQ(run({"--bogus", "x.wav"}), kExitUsage);
  EXPECT_EQ(run({"a.wav", "--note", "128"}), kExitUsage);
  EXPECT_EQ(run({"a.wav", "--note", "60", "--root", "200"}), kExitUsage);
  EXPECT_EQ(run({"a.wav", "b.wav", "--preview", path("p.wav")}), kExitUsage);
  EXPECT_EQ(run({"a.wav", "--voice"}), kExitUsage);

  // One good input and one that is not a sound file: exit 1, the message, no files.
  writeWav(path("good.wav"), tone(220.0, {0.5, 0.2}, 0.6, 44100, 0), 44100);
  {
    std::FILE* f = std::fopen(path("bad.wav").c_str(), "wb");
    std::fputs("RIFF....not a wave file at all", f);
    std::fclose(f);
  }
  EXPECT_EQ(run({path("good.wav"), path("bad.wav"), "--voice", path("v.v7v"), "--blocks", path("blocks"),
                 "--instrument", path("i.v7i")},
                nullptr, &err),
            kExitFailure);
  EXPECT_EQ(err, "Unsupported file format.\n");
  EXPECT_EQ(run({path("missing.wav"), "--preview", path("p.wav"), "--plot", path("p.png")}, nullptr, &err),
            kExitFailure);
  for (const char* name : {"v.v7v", "blocks", "i.v7i", "p.wav", "p.png"}) EXPECT_FALSE(fs::exists(path(name))) << name;
  // Nothing but the two inputs is in the folder (no temporary files either).
  int entries = 0;
  for (const auto& e : fs::directory_iterator(dir)) entries += e.is_regular_file() || e.is_directory();
  EXPECT_EQ(entries, 2);
}

TEST_F(VoiceTool, WritesLoadableFilesAndAPreviewThatMatchesTheInput) {
  const int rate = 44100, lead = 300;
  const std::vector<double> amps = {0.3, 0.15, 0.1, 0.05, 0.03};
  std::vector<float> x = tone(220.0, amps, 1.5, rate, lead);
  for (float& v : x) v *= 0.5f;  // the preview undoes the normalisation
  writeWav(path("tone.wav"), x, rate);
  writeWav(path("high.wav"), tone(440.0, amps, 0.8, rate, 0), rate);

  std::string out;
  ASSERT_EQ(run({path("tone.wav"), "--note", "57", "--voice", path("tone.v7v"), "--instrument", path("tone.v7i"),
                 "--blocks", path("blocks"), "--preview", path("preview.wav"), "--plot", path("plot.png")},
                &out),
            kExitSuccess);
  EXPECT_EQ(out.rfind(path("tone.wav") + ": root 220.00 Hz (option), partials 5, breakpoints ", 0), 0u) << out;
  EXPECT_NE(out.find(", 1.50 s\n"), std::string::npos) << out;
  for (const char* name : {"tone.v7v", "tone.v7i", "blocks/tone.v7h", "blocks/tone.v7n", "plot.png"})
    EXPECT_TRUE(fs::exists(path(name))) << name;

  // The voice and the instrument load through their readers.
  std::unique_ptr<VoiceSlot> slot(new VoiceSlot());
  ByteStream s;
  ASSERT_TRUE(s.openFileForReading(path("tone.v7v").c_str()));
  EXPECT_TRUE(readVoiceRecord(s, *slot));
  s.close();
  EXPECT_STREQ(slot->name, "tone");
  EXPECT_EQ(slot->rowCount, 1);
  EXPECT_EQ(slot->layerCount, 1);
  EXPECT_FLOAT_EQ(slot->harmonics[0][0].baseFrequency, 220.0f);
  std::unique_ptr<SynthEngine> engine(new SynthEngine());
  EXPECT_TRUE(loadInstrumentFile(*engine, path("tone.v7i").c_str()));
  EXPECT_STREQ(engine->slot(0).name, "tone");

  // The preview: the original's length and rate, silent where import cut the
  // start, the same harmonic spectrum.
  int previewRate = 0;
  const std::vector<float> y = readWav(path("preview.wav"), &previewRate);
  ASSERT_EQ(y.size(), x.size());
  EXPECT_EQ(previewRate, rate);
  for (int i = 0; i < lead; ++i) ASSERT_EQ(y[static_cast<std::size_t>(i)], 0.0f) << i;
  // The harmonic balance within 1 dB; the level within 1 dB.
  for (double t : {0.4, 0.9}) {
    const std::size_t from = static_cast<std::size_t>(lead + t * rate);
    auto levels = [&](const std::vector<float>& v) {
      std::vector<double> db;
      for (std::size_t h = 0; h < amps.size(); ++h)
        db.push_back(20.0 * std::log10(magnitudeAt(v, from, 8192, 220.0 * (h + 1), rate)));
      return db;
    };
    const std::vector<double> want = levels(x), got = levels(y);
    EXPECT_NEAR(got[0], want[0], 1.0) << t;
    for (std::size_t h = 1; h < amps.size(); ++h)
      EXPECT_NEAR(got[h] - got[0], want[h] - want[0], 1.0) << "harmonic " << h + 1 << " at " << t;
  }

  // Two inputs, one of them loud: two rows by root, a loud layer.
  ASSERT_EQ(run({path("high.wav"), "--loud", path("tone.wav"), path("tone.wav"), "--voice", path("two.v7v")}, &out),
            kExitSuccess);
  ASSERT_TRUE(s.openFileForReading(path("two.v7v").c_str()));
  EXPECT_TRUE(readVoiceRecord(s, *slot));
  s.close();
  EXPECT_EQ(slot->rowCount, 2);
  EXPECT_EQ(slot->layerCount, 2);
  EXPECT_LT(slot->harmonics[0][0].baseFrequency, slot->harmonics[1][0].baseFrequency);
}

TEST_F(VoiceTool, ThePreviewPlaysTheNoiseAtTheInputsLevel) {
  // A tone over white noise 30 dB below it: between and above the harmonics
  // the preview's noise has the input's power.
  const int rate = 44100;
  std::vector<float> x = tone(220.0, {0.3, 0.1}, 1.5, rate, 0);
  std::mt19937 rng(9);
  std::normal_distribution<double> g(0.0, 0.01);
  for (float& v : x) v += static_cast<float>(g(rng));
  writeWav(path("noisy.wav"), x, rate);
  ASSERT_EQ(run({path("noisy.wav"), "--note", "57", "--preview", path("noisy_preview.wav")}), kExitSuccess);
  const std::vector<float> y = readWav(path("noisy_preview.wav"));
  ASSERT_EQ(y.size(), x.size());
  // Over the held part and a wide band, so that the randomness of single
  // noise frames and grains averages out.
  double want = 0.0, got = 0.0;
  for (std::size_t from = rate / 5; from + 4096 <= static_cast<std::size_t>(1.2 * rate); from += 2048) {
    want += bandPower(x, from, 4096, 1000.0, 9000.0, rate);
    got += bandPower(y, from, 4096, 1000.0, 9000.0, rate);
  }
  EXPECT_NEAR(10.0 * std::log10(got / want), 0.0, 1.5);
}

}  // namespace
}  // namespace vt::voice
