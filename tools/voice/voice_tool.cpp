#include "tools/voice/voice_tool.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "analysis/analyze_audio_file.h"
#include "analysis/audio_import.h"
#include "analysis/pitch_detection.h"
#include "analysis/root_frequency.h"
#include "engine/harmonic_set.h"
#include "engine/note_frequency_table.h"
#include "engine/synth_engine.h"
#include "engine/voice_slot.h"
#include "factory/factory_recipe.h"
#include "factory/instrument_recipe.h"
#include "factory/voice_recipe.h"
#include "files/byte_stream.h"
#include "files/harmonic_block.h"
#include "files/instrument_record.h"
#include "files/library_paths.h"
#include "files/voice_record.h"
#include "platform/atomic_file_write.h"
#include "tools/voice/preview_render.h"
#include "tools/voice/voice_plot.h"

namespace vt::voice {

namespace {

using analysis::ImportedAudio;
using analysis::VoiceData;
using Bytes = std::vector<std::uint8_t>;

constexpr int kMaxRows = VoiceSlot::kRows;
constexpr int kProgressWidth = 40;

const char kUsage[] =
    "usage: vt7000-voice FILE... [--note N | --root HZ] [--loud FILE]... [--voice OUT.v7v]\n"
    "                    [--instrument OUT.v7i] [--blocks DIR] [--preview OUT.wav [--preview-blended]]\n"
    "                    [--plot OUT.png] [--no-reduction]\n";

struct Options {
  std::vector<std::string> soft, loud;
  int note = -1;
  double root = 0.0;
  std::string voice, instrument, blocks, preview, plot;
  bool help = false;
  bool blendedPreview = false;
  bool formatLimit = false;
};

struct Input {
  std::string path;
  bool loud = false;
  ImportedAudio audio;
  double root = 0.0;
  const char* source = "";
  VoiceData data;
  Bytes blocks;  // a harmonic block, then a noise block
  std::int32_t harmonicBytes = 0;
};

bool parseInt(const char* text, int& value) {
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || v < -1000000 || v > 1000000) return false;
  value = static_cast<int>(v);
  return true;
}

bool parseDouble(const char* text, double& value) {
  char* end = nullptr;
  errno = 0;
  value = std::strtod(text, &end);
  return errno == 0 && end != text && *end == '\0' && std::isfinite(value);
}

// False (with a message) on a usage error.
bool parseOptions(int argc, const char* const* argv, Options& o, std::string& why) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= argc) {
        why = a + " needs a value";
        return false;
      }
      into = argv[++i];
      return true;
    };
    std::string v;
    if (a == "--help" || a == "-h") {
      o.help = true;
    } else if (a == "--note") {
      if (!value(v) || !parseInt(v.c_str(), o.note) || o.note < 0 || o.note > 127) {
        why = "--note takes a MIDI note 0-127";
        return false;
      }
    } else if (a == "--root") {
      if (!value(v) || !parseDouble(v.c_str(), o.root) || !(o.root > 0.0) || o.root > 30000.0) {
        why = "--root takes a frequency in Hz above 0";
        return false;
      }
    } else if (a == "--loud") {
      if (!value(v)) return false;
      o.loud.push_back(v);
    } else if (a == "--voice") {
      if (!value(o.voice)) return false;
    } else if (a == "--instrument") {
      if (!value(o.instrument)) return false;
    } else if (a == "--blocks") {
      if (!value(o.blocks)) return false;
    } else if (a == "--preview") {
      if (!value(o.preview)) return false;
    } else if (a == "--no-reduction") {
      o.formatLimit = true;
    } else if (a == "--preview-blended") {
      o.blendedPreview = true;
    } else if (a == "--plot") {
      if (!value(o.plot)) return false;
    } else if (a.size() > 1 && a[0] == '-') {
      why = "unknown option " + a;
      return false;
    } else {
      o.soft.push_back(a);
    }
  }
  if (o.help) return true;
  const std::size_t inputs = o.soft.size() + o.loud.size();
  if (inputs == 0) {
    why = "no input file";
    return false;
  }
  if (o.note >= 0 && o.root > 0.0) {
    why = "--note and --root exclude each other";
    return false;
  }
  if ((!o.preview.empty() || !o.plot.empty()) && inputs != 1) {
    why = "--preview and --plot take exactly one input";
    return false;
  }
  if (o.soft.size() > static_cast<std::size_t>(kMaxRows) || o.loud.size() > static_cast<std::size_t>(kMaxRows)) {
    why = "a voice holds at most 8 multisamples";
    return false;
  }
  return true;
}

std::string baseName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string stem(const std::string& path) {
  const std::string name = baseName(path);
  const std::size_t dot = name.find_last_of('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

// The root frequency and where it came from.
void chooseRoot(const Options& o, Input& in) {
  if (o.note >= 0) {
    in.root = NoteFrequencyTable().frequency(o.note);
    in.source = "option";
  } else if (o.root > 0.0) {
    in.root = static_cast<float>(o.root);
    in.source = "option";
  } else if (in.audio.baseNote >= 0 && in.audio.baseNote < NoteFrequencyTable::kNotes) {
    in.root = NoteFrequencyTable().frequency(in.audio.baseNote);
    in.source = "header";
  } else if (const float named = analysis::noteFrequencyFromFileName(in.path.c_str()); named > 0.0f) {
    in.root = named;
    in.source = "file name";
  } else {
    in.root = static_cast<float>(in.audio.count > 0 ? analysis::detectPitch(in.audio.samples.get(),
                                                                            static_cast<std::size_t>(in.audio.count),
                                                                            in.audio.sampleRate)
                                                    : 0.0);
    in.source = "detection";
  }
}

class ProgressBar {
public:
  ProgressBar(std::FILE* err, int inputs) : err(err), inputs(inputs) { shown = inputs > 1 && isatty(fileno(err)); }
  void show(int index, double share) {
    if (!shown) return;
    const double done = (index + std::clamp(share, 0.0, 1.0)) / inputs;
    const int filled = static_cast<int>(done * kProgressWidth);
    if (filled == last) return;
    last = filled;
    std::fprintf(err, "\r[%s%s] %d/%d", std::string(static_cast<std::size_t>(filled), '#').c_str(),
                 std::string(static_cast<std::size_t>(kProgressWidth - filled), '.').c_str(), index + 1, inputs);
    std::fflush(err);
  }
  void clear() {
    if (!shown) return;
    std::fprintf(err, "\r%*s\r", kProgressWidth + 16, "");
    std::fflush(err);
  }

private:
  std::FILE* err;
  int inputs;
  bool shown = false;
  int last = -1;
};

// The voice record: the header, then each row's layers as the analysis wrote them.
struct Layout {
  std::vector<Input*> rows[2];  // [layer][row]
  int layerCount = 1;
};

Layout arrange(std::vector<Input>& inputs) {
  Layout l;
  std::vector<Input*> soft, loud;
  for (Input& in : inputs) (in.loud ? loud : soft).push_back(&in);
  if (soft.empty()) std::swap(soft, loud);
  auto byRoot = [](const Input* a, const Input* b) { return a->root < b->root; };
  std::stable_sort(soft.begin(), soft.end(), byRoot);
  l.rows[0] = soft;
  l.rows[1] = soft;  // a row without a loud input plays its soft layer loud too
  if (!loud.empty()) {
    l.layerCount = 2;
    for (Input* in : loud) {
      std::size_t best = 0;
      double distance = 1e300;
      for (std::size_t r = 0; r < soft.size(); ++r) {
        const double d = std::fabs(std::log2(std::max(in->root, 1e-3) / std::max(soft[r]->root, 1e-3)));
        if (d < distance) distance = d, best = r;
      }
      l.rows[1][best] = in;
    }
  }
  return l;
}

bool buildVoiceRecord(const Layout& l, const std::string& name, float maxFrequency, Bytes& out) {
  out.assign(ByteStream::kCapacity, 0);
  ByteStream s;
  s.openMemoryForWriting(out.data(), ByteStream::kCapacity);
  char shortName[VoiceSlot::kNameSize] = {};
  std::strncpy(shortName, name.c_str(), sizeof shortName - 1);
  s.writeInt(kVoiceRecordVersion);
  s.writeString(shortName);
  s.writeBool(false);
  s.writeFloat(0.0f);
  s.writeFloat(0.0f);
  s.writeInt(static_cast<std::int32_t>(l.rows[0].size()));
  s.writeInt(l.layerCount);
  s.writeFloat(maxFrequency);
  // The blocks are whole 32-bit values in the stream's byte order already.
  for (std::size_t r = 0; r < l.rows[0].size(); ++r) {
    for (int layer = 0; layer < l.layerCount; ++layer) {
      const Bytes& b = l.rows[layer][r]->blocks;
      for (std::size_t k = 0; k + 4 <= b.size(); k += 4) {
        std::int32_t v;
        std::memcpy(&v, b.data() + k, 4);
        s.writeInt(v);
      }
    }
  }
  const std::int32_t size = s.getPosition();
  const bool failed = s.failed();
  s.close();
  // The readers take files of fewer than 16 MB.
  if (failed || size >= ByteStream::kCapacity) return false;
  out.resize(static_cast<std::size_t>(size));
  return true;
}

bool buildInstrumentRecord(const Bytes& voiceRecord, Bytes& out) {
  std::unique_ptr<VoiceSlot> analysed(new (std::nothrow) VoiceSlot());
  std::unique_ptr<VoiceSlot> plain(new (std::nothrow) VoiceSlot());
  std::unique_ptr<SynthEngine> engine(new (std::nothrow) SynthEngine());
  if (!analysed || !plain || !engine || !engine->constructedCompletely()) return false;
  ByteStream in;
  in.openMemoryForReading(voiceRecord.data(), static_cast<std::int32_t>(voiceRecord.size()));
  const bool read = readVoiceRecord(in, *analysed);
  in.close();
  if (!read || !buildVoice(resetVoice(), *plain)) return false;
  const VoiceSlot* slots[kNumSlots] = {analysed.get(), plain.get(), plain.get(), plain.get()};
  InstrumentRecipe recipe = resetInstrument();
  recipe.name = analysed->name;
  if (!buildInstrument(recipe, slots, *engine)) return false;
  out.assign(ByteStream::kCapacity, 0);
  ByteStream s;
  s.openMemoryForWriting(out.data(), ByteStream::kCapacity);
  const bool ok = writeInstrumentRecord(s, *engine);
  const std::int32_t size = s.getPosition();
  s.close();
  if (!ok || size >= ByteStream::kCapacity) return false;
  out.resize(static_cast<std::size_t>(size));
  return true;
}

// A mono 32-bit float WAVE file.
Bytes floatWav(const std::vector<float>& samples, int rate) {
  Bytes b;
  auto u32 = [&b](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  };
  auto u16 = [&b](std::uint16_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
  };
  auto tag = [&b](const char* t) { b.insert(b.end(), t, t + 4); };
  const std::uint32_t dataBytes = static_cast<std::uint32_t>(samples.size() * 4);
  tag("RIFF");
  u32(4 + 26 + 12 + 8 + dataBytes);
  tag("WAVE");
  tag("fmt ");
  u32(18);
  u16(3);  // IEEE float
  u16(1);
  u32(static_cast<std::uint32_t>(rate));
  u32(static_cast<std::uint32_t>(rate) * 4);
  u16(4);
  u16(32);
  u16(0);
  tag("fact");
  u32(4);
  u32(static_cast<std::uint32_t>(samples.size()));
  tag("data");
  u32(dataBytes);
  for (float x : samples) {
    std::uint32_t bits;
    std::memcpy(&bits, &x, 4);
    u32(bits);
  }
  return b;
}

bool ensureFolder(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  return mkdir(path.c_str(), 0755) == 0;
}

}  // namespace

int runVoiceTool(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
  Options o;
  std::string why;
  if (!parseOptions(argc, argv, o, why)) {
    std::fprintf(err, "vt7000-voice: %s\n%s", why.c_str(), kUsage);
    return kExitUsage;
  }
  if (o.help) {
    std::fputs(kUsage, out);
    return kExitSuccess;
  }

  std::vector<Input> inputs;
  for (const std::string& p : o.soft) inputs.push_back(Input{p, false, {}, 0.0, "", {}, {}, 0});
  for (const std::string& p : o.loud) inputs.push_back(Input{p, true, {}, 0.0, "", {}, {}, 0});

  // Read and analyse everything before anything is written.
  ProgressBar bar(err, static_cast<int>(inputs.size()));
  Bytes buffer(ByteStream::kCapacity);
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    Input& in = inputs[i];
    bar.show(static_cast<int>(i), 0.0);
    if (!analysis::importAudioFile(in.path.c_str(), in.audio)) {
      bar.clear();
      std::fputs("Unsupported file format.\n", err);
      return kExitFailure;
    }
    chooseRoot(o, in);
    ByteStream stream;
    const bool ok = analysis::analyzeAudioFile(
        in.audio, static_cast<float>(in.root), stream, buffer.data(), ByteStream::kCapacity, &in.data,
        [&bar, i](double share) { bar.show(static_cast<int>(i), share); },
        o.formatLimit ? analysis::formatLimitReduction() : analysis::standardReduction());
    if (!ok) {
      bar.clear();
      std::fprintf(err, "vt7000-voice: %s: the analysis does not fit into a voice\n", in.path.c_str());
      return kExitFailure;
    }
    in.blocks.assign(buffer.begin(), buffer.begin() + stream.getSize());
    HarmonicSet set;
    readHarmonicBlock(stream, set);
    in.harmonicBytes = stream.getPosition();
    stream.close();
    bar.clear();
    const double seconds = in.audio.sampleRate > 0.0f ? in.audio.count / static_cast<double>(in.audio.sampleRate) : 0.0;
    std::fprintf(out, "%s: root %.2f Hz (%s), partials %d, breakpoints %d/%d, %.2f s\n", in.path.c_str(), in.root,
                 in.source, in.data.partials(), in.data.harmonicBreakpoints(), in.data.noiseBreakpoints(), seconds);
    std::fflush(out);
  }

  auto fail = [&](const std::string& what) {
    std::fprintf(err, "vt7000-voice: cannot write %s\n", what.c_str());
    return kExitFailure;
  };
  auto write = [&](const std::string& path, const void* data, std::size_t size) {
    return vt::writeFileAtomically(path.c_str(), data, size);
  };

  if (!o.blocks.empty()) {
    if (!ensureFolder(o.blocks)) return fail(o.blocks);
    for (const Input& in : inputs) {
      const std::string base = o.blocks + "/" + stem(in.path) + ".";
      const std::size_t split = static_cast<std::size_t>(in.harmonicBytes);
      if (!write(base + kHarmonicBlockExtension, in.blocks.data(), split)) return fail(base + kHarmonicBlockExtension);
      if (!write(base + kNoiseBlockExtension, in.blocks.data() + split, in.blocks.size() - split))
        return fail(base + kNoiseBlockExtension);
    }
  }

  Bytes record;
  const bool needRecord = !o.voice.empty() || !o.instrument.empty() || !o.preview.empty();
  if (needRecord) {
    const Layout layout = arrange(inputs);
    const Input& first = *layout.rows[0][0];
    if (!buildVoiceRecord(layout, stem(first.path), first.audio.sampleRate / 2.0f, record)) {
      std::fputs("vt7000-voice: the voice does not fit into a voice file\n", err);
      return kExitFailure;
    }
  }
  if (!o.voice.empty() && !write(o.voice, record.data(), record.size())) return fail(o.voice);
  if (!o.instrument.empty()) {
    Bytes instrument;
    if (!buildInstrumentRecord(record, instrument)) {
      std::fputs("vt7000-voice: cannot build the instrument\n", err);
      return kExitFailure;
    }
    if (!write(o.instrument, instrument.data(), instrument.size())) return fail(o.instrument);
  }
  if (!o.preview.empty()) {
    const Input& in = inputs[0];
    const std::vector<float> preview =
        renderPreview(record.data(), static_cast<std::int32_t>(record.size()), in.root, in.audio, o.blendedPreview);
    const Bytes wav = floatWav(preview, static_cast<int>(in.audio.sampleRate));
    if (!write(o.preview, wav.data(), wav.size())) return fail(o.preview);
  }
  if (!o.plot.empty()) {
    const std::vector<unsigned char> png = plotVoiceData(inputs[0].data, inputs[0].audio.sampleRate);
    if (png.empty() || !write(o.plot, png.data(), png.size())) return fail(o.plot);
  }
  return kExitSuccess;
}

}  // namespace vt::voice
