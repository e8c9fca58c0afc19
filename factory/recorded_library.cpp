#include "factory/recorded_library.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <new>
#include <set>

#include "engine/morph_positions.h"
#include "engine/parameter_ids.h"
#include "engine/synth_engine.h"
#include "engine/voice_slot.h"
#include "factory/category_names.h"
#include "factory/factory_recipe.h"
#include "factory/record_file.h"
#include "files/byte_stream.h"
#include "files/engine_loader.h"
#include "files/instrument_record.h"
#include "files/library_paths.h"
#include "files/voice_record.h"

namespace vt {

namespace {

using namespace categories;

constexpr float kRate = 44100.0f;
constexpr double kMinimumVelocityRangeDb = 6.5;
constexpr double kNoteTolerance = 1.5;                        // dB under the note target still accepted
constexpr std::uintmax_t kInstrumentSizeBudget = 960 * 1024;  // the voices of one instrument, under 1 MB
constexpr int kBlock = 512;

// --- The instruments ----------------------------------------------------------

using Settings = std::initializer_list<std::pair<int, float>>;

void set(InstrumentRecipe& r, Settings settings) { r.settings.insert(r.settings.end(), settings); }

// Slot A alone sounding; B-D are left for the library to fill with other
// voices of the category (within the instrument size limit), so that the
// morph pads bring in related sounds.
InstrumentRecipe solo(const char* name, const char* category, const char* voice) {
  InstrumentRecipe r = instrument(name, category, voice, "", "", "");
  slotAOnly(r);
  return r;
}

void loop(InstrumentRecipe& r) { set(r, {{GlobalLoopOn, 1.0f}}); }
void release(InstrumentRecipe& r, float value) { set(r, {{Release, value}}); }
void vibrato(InstrumentRecipe& r, float depth) {
  set(r, {{LfoOn, 1.0f}, {LfoRate, kLfoFourSixteenths}, {LfoVibrato, depth}, {LfoTremolo, 0.0f}});
}
void tremolo(InstrumentRecipe& r, float depth, float rate) {
  set(r, {{LfoOn, 1.0f}, {LfoRate, rate}, {LfoTremolo, depth}, {LfoVibrato, 0.0f}});
}
// The low-pass filter with its envelope opening it on every note.
void filterSweep(InstrumentRecipe& r, float cutoff, float envelope, float resonance) {
  set(r, {{FilterOn, 1.0f}, {FilterCutoff, cutoff}, {FilterEnv, envelope}, {FilterRes, resonance}});
}
void drive(InstrumentRecipe& r, float distortion, float tube, float compress) {
  set(r, {{DistortionOn, 1.0f}, {Distortion, distortion}, {Tube, tube}, {Compress, compress}});
}
// An envelope morph: the harmonic and noise positions follow drawn curves while the key is held.
void envelopeMorph(InstrumentRecipe& r, std::vector<CurvePoint> x, std::vector<CurvePoint> y) {
  set(r, {{DoMorphing, 1.0f}, {EnvelopeMorphOn, 1.0f}});
  r.morphCurves[kMorphEnvelopeHarmX] = x;
  r.morphCurves[kMorphEnvelopeNoiseX] = x;
  r.morphCurves[kMorphEnvelopeHarmY] = y;
  r.morphCurves[kMorphEnvelopeNoiseY] = y;
}

std::vector<InstrumentRecipe> basses() {
  std::vector<InstrumentRecipe> list;
  // Compressed and a little warmed: the bass that sits in a mix, the one a new instance starts with.
  InstrumentRecipe finger = solo("Finger Bass", kBasses, "Finger Bass");
  drive(finger, 0.0f, 0.12f, 0.45f);
  set(finger, {{MBass, 0.25f}});
  release(finger, 0.1f);
  list.push_back(finger);

  InstrumentRecipe fretless = solo("Fretless Bass", kBasses, "Fretless Bass");
  chorus(fretless, 0.25f, 0.4f, 0.2f);
  reverb(fretless, 0.12f, 0.4f, 0.4f);
  release(fretless, 0.15f);
  list.push_back(fretless);

  InstrumentRecipe synth = solo("Synth Bass Sweep", kBasses, "Synth Bass");
  filterSweep(synth, 0.35f, 0.6f, 0.35f);
  drive(synth, 0.0f, 0.1f, 0.4f);
  release(synth, 0.08f);
  list.push_back(synth);

  InstrumentRecipe upright = solo("Upright Bass", kBasses, "Acoustic Bass");
  reverb(upright, 0.15f, 0.4f, 0.4f);
  release(upright, 0.12f);
  list.push_back(upright);
  return list;
}

std::vector<InstrumentRecipe> brassWinds() {
  std::vector<InstrumentRecipe> list;
  InstrumentRecipe trumpet = solo("Trumpet", kBrass, "Trumpet");
  loop(trumpet);
  reverb(trumpet, 0.2f, 0.5f, 0.45f);
  release(trumpet, 0.1f);
  list.push_back(trumpet);

  InstrumentRecipe section = solo("Brass Section", kBrass, "Brass Section");
  loop(section);
  reverb(section, 0.25f, 0.6f, 0.5f);
  release(section, 0.12f);
  list.push_back(section);

  // The horn's attack opening into the flute's breath while the note is held.
  InstrumentRecipe hornFlute = instrument("Horn to Flute", kBrass, "French Horn", "Flute", "French Horn", "Flute");
  loop(hornFlute);
  envelopeMorph(hornFlute, {{0.0f, 0.0f}, {0.4f, 0.0f}, {2.5f, 1.0f}}, {{0.0f, 0.0f}});
  reverb(hornFlute, 0.3f, 0.7f, 0.5f);
  release(hornFlute, 0.2f);
  list.push_back(hornFlute);

  InstrumentRecipe sax = solo("Alto Sax", kBrass, "Alto Sax");
  loop(sax);
  vibrato(sax, 0.04f);
  reverb(sax, 0.2f, 0.5f, 0.45f);
  release(sax, 0.1f);
  list.push_back(sax);

  InstrumentRecipe clarinet = solo("Clarinet", kBrass, "Clarinet");
  loop(clarinet);
  reverb(clarinet, 0.2f, 0.5f, 0.45f);
  release(clarinet, 0.1f);
  list.push_back(clarinet);
  return list;
}

std::vector<InstrumentRecipe> chromatics() {
  std::vector<InstrumentRecipe> list;
  InstrumentRecipe vibes = solo("Vibraphone", kChromatics, "Vibraphone");
  tremolo(vibes, 0.25f, kLfoFourSixteenths);
  reverb(vibes, 0.3f, 0.6f, 0.5f);
  release(vibes, 0.4f);
  list.push_back(vibes);

  InstrumentRecipe marimba = solo("Marimba", kChromatics, "Marimba");
  reverb(marimba, 0.2f, 0.5f, 0.4f);
  release(marimba, 0.2f);
  list.push_back(marimba);

  InstrumentRecipe celesta = solo("Celesta", kChromatics, "Celesta");
  reverb(celesta, 0.3f, 0.6f, 0.5f);
  delay(celesta, 0.15f, 0.3f);
  release(celesta, 0.4f);
  list.push_back(celesta);

  InstrumentRecipe bells = solo("Tubular Bells", kChromatics, "Tubular Bells");
  reverb(bells, 0.4f, 0.85f, 0.6f);
  release(bells, 0.6f);
  list.push_back(bells);
  return list;
}

std::vector<InstrumentRecipe> guitars() {
  std::vector<InstrumentRecipe> list;
  InstrumentRecipe nylon = solo("Nylon Guitar", kGuitars, "Nylon Guitar");
  reverb(nylon, 0.2f, 0.5f, 0.45f);
  release(nylon, 0.2f);
  list.push_back(nylon);

  InstrumentRecipe steel = solo("Steel Guitar", kGuitars, "Steel Guitar");
  chorus(steel, 0.25f, 0.5f, 0.2f);
  reverb(steel, 0.2f, 0.5f, 0.45f);
  release(steel, 0.2f);
  list.push_back(steel);

  InstrumentRecipe clean = solo("Clean Chorus Guitar", kGuitars, "Clean Guitar");
  chorus(clean, 0.5f, 0.7f, 0.3f);
  delay(clean, 0.18f, 0.3f);
  reverb(clean, 0.15f, 0.5f, 0.4f);
  release(clean, 0.15f);
  list.push_back(clean);

  InstrumentRecipe overdrive = solo("Overdrive Guitar", kGuitars, "Overdrive Guitar");
  drive(overdrive, 0.35f, 0.3f, 0.3f);
  reverb(overdrive, 0.15f, 0.5f, 0.4f);
  release(overdrive, 0.1f);
  list.push_back(overdrive);

  // A plucked nylon string that blooms into slow strings while the key is held.
  InstrumentRecipe bloom =
      instrument("Nylon Bloom", kGuitars, "Slow Strings", "Nylon Guitar", "Slow Strings", "Nylon Guitar");
  loop(bloom);
  envelopeMorph(bloom, {{0.0f, 1.0f}, {0.3f, 1.0f}, {2.5f, 0.0f}}, {{0.0f, 0.0f}});
  chorus(bloom, 0.3f, 0.5f, 0.2f);
  reverb(bloom, 0.35f, 0.75f, 0.55f);
  release(bloom, 0.3f);
  list.push_back(bloom);
  return list;
}

std::vector<InstrumentRecipe> organs() {
  std::vector<InstrumentRecipe> list;
  InstrumentRecipe drawbar = solo("Drawbar Organ", kOrgans, "Drawbar Organ");
  loop(drawbar);
  chorus(drawbar, 0.5f, 0.6f, 0.55f);
  reverb(drawbar, 0.15f, 0.5f, 0.45f);
  release(drawbar, 0.03f);
  list.push_back(drawbar);

  InstrumentRecipe percussive = solo("Percussive Organ", kOrgans, "Percussive Organ");
  loop(percussive);
  drive(percussive, 0.0f, 0.25f, 0.2f);
  chorus(percussive, 0.35f, 0.5f, 0.6f);
  release(percussive, 0.03f);
  list.push_back(percussive);

  InstrumentRecipe church = solo("Church Organ", kOrgans, "Church Organ");
  loop(church);
  reverb(church, 0.45f, 0.95f, 0.7f);
  release(church, 0.1f);
  list.push_back(church);

  InstrumentRecipe accordion = solo("Accordion", kOrgans, "Accordion");
  loop(accordion);
  chorus(accordion, 0.2f, 0.3f, 0.3f);
  reverb(accordion, 0.15f, 0.4f, 0.4f);
  release(accordion, 0.05f);
  list.push_back(accordion);
  return list;
}

std::vector<InstrumentRecipe> pianos() {
  std::vector<InstrumentRecipe> list;
  InstrumentRecipe grand = solo("Grand Piano", kPianos, "Grand Piano");
  reverb(grand, 0.2f, 0.6f, 0.5f);
  release(grand, 0.3f);
  list.push_back(grand);

  InstrumentRecipe rhodes = solo("Electric Piano", kPianos, "Electric Piano");
  chorus(rhodes, 0.35f, 0.5f, 0.15f);
  tremolo(rhodes, 0.12f, kLfoFourSixteenths);
  reverb(rhodes, 0.2f, 0.5f, 0.45f);
  release(rhodes, 0.2f);
  list.push_back(rhodes);

  InstrumentRecipe fm = solo("FM Piano", kPianos, "FM Piano");
  delay(fm, 0.2f, 0.35f);
  reverb(fm, 0.2f, 0.5f, 0.45f);
  release(fm, 0.2f);
  list.push_back(fm);

  InstrumentRecipe harpsichord = solo("Harpsichord", kPianos, "Harpsichord");
  reverb(harpsichord, 0.2f, 0.55f, 0.45f);
  release(harpsichord, 0.1f);
  list.push_back(harpsichord);

  // The piano's strike melting into a warm pad.
  InstrumentRecipe piano = instrument("Piano Pad", kPianos, "Warm Pad", "Grand Piano", "Warm Pad", "Grand Piano");
  loop(piano);
  envelopeMorph(piano, {{0.0f, 1.0f}, {0.25f, 1.0f}, {3.0f, 0.0f}}, {{0.0f, 0.0f}});
  chorus(piano, 0.3f, 0.5f, 0.2f);
  reverb(piano, 0.35f, 0.8f, 0.55f);
  release(piano, 0.35f);
  list.push_back(piano);
  return list;
}

std::vector<InstrumentRecipe> strings() {
  std::vector<InstrumentRecipe> list;
  InstrumentRecipe ensemble = solo("String Ensemble", kStrings, "String Ensemble");
  loop(ensemble);
  reverb(ensemble, 0.35f, 0.8f, 0.55f);
  release(ensemble, 0.25f);
  list.push_back(ensemble);

  // Slow strings drifting towards a choir and back.
  InstrumentRecipe slow =
      instrument("Slow Strings", kStrings, "Slow Strings", "Choir Aahs", "Slow Strings", "Choir Aahs");
  loop(slow);
  envelopeMorph(slow, {{0.0f, 0.0f}, {3.0f, 0.5f}, {6.0f, 0.1f}, {9.0f, 0.5f}}, {{0.0f, 0.0f}});
  set(slow, {{GlobalLoopStartTime, 3.0f / 60.0f}, {GlobalLoopEndTime, 9.0f / 60.0f}});
  reverb(slow, 0.4f, 0.85f, 0.6f);
  release(slow, 0.35f);
  list.push_back(slow);

  InstrumentRecipe violin = solo("Solo Violin", kStrings, "Violin");
  loop(violin);
  vibrato(violin, 0.05f);
  reverb(violin, 0.3f, 0.7f, 0.5f);
  release(violin, 0.15f);
  list.push_back(violin);

  InstrumentRecipe cello = solo("Cello", kStrings, "Cello");
  loop(cello);
  vibrato(cello, 0.04f);
  reverb(cello, 0.3f, 0.7f, 0.5f);
  release(cello, 0.15f);
  list.push_back(cello);

  return list;
}

std::vector<InstrumentRecipe> leads() {
  std::vector<InstrumentRecipe> list;
  InstrumentRecipe square = solo("Square Lead", kLeads, "Square Lead");
  loop(square);
  vibrato(square, 0.06f);
  delay(square, 0.25f, 0.35f);
  reverb(square, 0.15f, 0.5f, 0.45f);
  release(square, 0.08f);
  list.push_back(square);

  InstrumentRecipe saw = solo("Distorted Saw Lead", kLeads, "Saw Lead");
  loop(saw);
  drive(saw, 0.55f, 0.3f, 0.3f);
  filterSweep(saw, 0.5f, 0.4f, 0.3f);
  delay(saw, 0.2f, 0.3f);
  release(saw, 0.08f);
  list.push_back(saw);

  InstrumentRecipe calliope = solo("Calliope", kLeads, "Calliope");
  loop(calliope);
  chorus(calliope, 0.3f, 0.5f, 0.3f);
  reverb(calliope, 0.2f, 0.5f, 0.45f);
  release(calliope, 0.08f);
  list.push_back(calliope);

  return list;
}

std::vector<InstrumentRecipe> pads() {
  std::vector<InstrumentRecipe> list;
  InstrumentRecipe warm = solo("Warm Pad", kPads, "Warm Pad");
  loop(warm);
  chorus(warm, 0.4f, 0.6f, 0.2f);
  reverb(warm, 0.4f, 0.85f, 0.6f);
  release(warm, 0.4f);
  list.push_back(warm);

  InstrumentRecipe poly = solo("Polysynth Sweep", kPads, "Polysynth");
  loop(poly);
  filterSweep(poly, 0.5f, 0.6f, 0.35f);
  chorus(poly, 0.35f, 0.5f, 0.25f);
  reverb(poly, 0.3f, 0.7f, 0.5f);
  release(poly, 0.3f);
  list.push_back(poly);

  InstrumentRecipe sweep = solo("Sweep Pad", kPads, "Sweep Pad");
  loop(sweep);
  reverb(sweep, 0.45f, 0.9f, 0.6f);
  release(sweep, 0.5f);
  list.push_back(sweep);

  // Four pads in turn under curves that keep moving while the key is held.
  InstrumentRecipe moving = instrument("Moving Pad", kPads, "Warm Pad", "Halo Pad", "Polysynth", "Choir Pad");
  loop(moving);
  envelopeMorph(moving, {{0.0f, 0.0f}, {3.0f, 0.8f}, {6.0f, 0.2f}, {9.0f, 0.8f}},
                {{0.0f, 0.0f}, {4.5f, 0.6f}, {7.5f, 0.1f}, {9.0f, 0.4f}});
  set(moving, {{GlobalLoopStartTime, 3.0f / 60.0f}, {GlobalLoopEndTime, 9.0f / 60.0f}});
  chorus(moving, 0.4f, 0.6f, 0.2f);
  reverb(moving, 0.5f, 0.9f, 0.6f);
  release(moving, 0.5f);
  list.push_back(moving);

  InstrumentRecipe halo = solo("Halo Pad", kPads, "Halo Pad");
  loop(halo);
  chorus(halo, 0.3f, 0.5f, 0.2f);
  reverb(halo, 0.45f, 0.9f, 0.6f);
  release(halo, 0.45f);
  list.push_back(halo);
  return list;
}

std::vector<InstrumentRecipe> voices() {
  std::vector<InstrumentRecipe> list;
  InstrumentRecipe aahs = solo("Choir Aahs", kVoices, "Choir Aahs");
  loop(aahs);
  reverb(aahs, 0.4f, 0.85f, 0.6f);
  release(aahs, 0.3f);
  list.push_back(aahs);

  InstrumentRecipe oohs = solo("Voice Oohs", kVoices, "Voice Oohs");
  loop(oohs);
  chorus(oohs, 0.25f, 0.4f, 0.2f);
  reverb(oohs, 0.4f, 0.85f, 0.6f);
  release(oohs, 0.3f);
  list.push_back(oohs);

  InstrumentRecipe synth = solo("Synth Choir", kVoices, "Synth Choir");
  loop(synth);
  chorus(synth, 0.4f, 0.6f, 0.25f);
  reverb(synth, 0.35f, 0.8f, 0.55f);
  release(synth, 0.3f);
  list.push_back(synth);

  InstrumentRecipe pad = solo("Choir Pad", kVoices, "Choir Pad");
  loop(pad);
  reverb(pad, 0.45f, 0.9f, 0.6f);
  release(pad, 0.4f);
  list.push_back(pad);
  return list;
}

// --- Measuring ----------------------------------------------------------------

struct Held {
  int note;
  int velocity;
};

// Renders notes held from 0 to 'held' seconds, for 'seconds'; returns the RMS and peak of both channels.
void renderHeld(SynthEngine& engine, const std::vector<Held>& notes, double held, double seconds, double& rms,
                double& peak) {
  std::vector<float> left(kBlock), right(kBlock);
  const int frames = static_cast<int>(seconds * kRate);
  const int release = static_cast<int>(held * kRate);
  double sum = 0.0;
  peak = 0.0;
  for (int position = 0; position < frames; position += kBlock) {
    const int n = std::min(kBlock, frames - position);
    if (position == 0)
      for (const Held& h : notes) {
        const std::uint8_t on[3] = {0x90, static_cast<std::uint8_t>(h.note), static_cast<std::uint8_t>(h.velocity)};
        engine.queueMessage(on, 3, 0);
      }
    if (release >= position && release < position + n)
      for (const Held& h : notes) {
        const std::uint8_t off[3] = {0x80, static_cast<std::uint8_t>(h.note), 0};
        engine.queueMessage(off, 3, release - position);
      }
    engine.render(left.data(), right.data(), n);
    for (int i = 0; i < n; ++i) {
      sum += double(left[i]) * left[i] + double(right[i]) * right[i];
      peak = std::max({peak, double(std::fabs(left[i])), double(std::fabs(right[i]))});
    }
  }
  rms = frames > 0 ? std::sqrt(sum / (2.0 * frames)) : 0.0;
}

double decibels(double level) { return 20.0 * std::log10(level + 1e-12); }

std::unique_ptr<SynthEngine> newEngine() {
  std::unique_ptr<SynthEngine> engine(new (std::nothrow) SynthEngine());
  if (!engine || !engine->constructedCompletely()) return nullptr;
  engine->setSampleRate(kRate);
  return engine;
}

}  // namespace

std::vector<InstrumentRecipe> recordedInstruments() {
  std::vector<InstrumentRecipe> all;
  for (auto group : {basses, brassWinds, chromatics, guitars, organs, pianos, strings, leads, pads, voices}) {
    std::vector<InstrumentRecipe> list = group();
    all.insert(all.end(), list.begin(), list.end());
  }
  return all;
}

bool isSustainedVoice(const std::string& name) {
  static const std::set<std::string> decaying = {"Finger Bass",    "Fretless Bass", "Acoustic Bass", "Synth Bass",
                                                 "Vibraphone",     "Marimba",       "Celesta",       "Tubular Bells",
                                                 "Nylon Guitar",   "Steel Guitar",  "Clean Guitar",  "Grand Piano",
                                                 "Electric Piano", "FM Piano",      "Harpsichord",   "Pizzicato"};
  return decaying.count(name) == 0;
}

double noteRmsDb(SynthEngine& engine) {
  double rms = 0.0, peak = 0.0;
  renderHeld(engine, {{60, 100}}, 2.0, 2.0, rms, peak);
  return decibels(rms);
}

// Level difference of note 60 held 0.5 s at velocity 120 against velocity 40 (1 s each).
static double velocityRangeDb(SynthEngine& soft, SynthEngine& hard) {
  double softRms = 0.0, hardRms = 0.0, peak = 0.0;
  renderHeld(soft, {{60, 40}}, 0.5, 1.0, softRms, peak);
  renderHeld(hard, {{60, 120}}, 0.5, 1.0, hardRms, peak);
  return decibels(hardRms) - decibels(softRms);
}

double chordPeakDb(SynthEngine& engine) {
  double rms = 0.0, peak = 0.0;
  renderHeld(engine, {{48, 127}, {52, 127}, {55, 127}, {60, 127}, {64, 127}}, 2.0, 4.0, rms, peak);
  return decibels(peak);
}

float matchedVolume(double noteRmsDb, double chordPeakDb) {
  const double gain = std::min(std::pow(10.0, (kTargetNoteRmsDb - noteRmsDb) / 20.0),
                               std::pow(10.0, (kChordPeakCeilingDb - chordPeakDb) / 20.0));
  // Volume v plays at 2v; the levels were measured at 0.5.
  return static_cast<float>(std::clamp(0.5 * gain, 0.0, 1.0));
}

bool writeRecordedLibrary(const std::string& voicesFolder, const std::string& out, std::FILE* table,
                          std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  const std::filesystem::path root(out);
  const std::filesystem::path voicesOut = root / kDataFolderName / kVoicesFolderName;
  const std::filesystem::path instrumentsOut = root / kDataFolderName / kFactoryInstrumentsFolderName;

  // Every voice of the folder, read, given its loop, and passed once through an
  // engine slot, so that the stored file is what a load gives back.
  std::map<std::string, std::unique_ptr<VoiceSlot>> voices;
  struct VoiceInfo {
    std::string category;
    std::uintmax_t size = 0;
  };
  std::map<std::string, VoiceInfo> voiceInfo;
  std::error_code walkError;
  std::vector<std::filesystem::path> files;
  for (auto it = std::filesystem::recursive_directory_iterator(voicesFolder, walkError);
       !walkError && it != std::filesystem::recursive_directory_iterator(); it.increment(walkError))
    if (it->is_regular_file() && it->path().extension() == std::string(".") + kVoiceExtension)
      files.push_back(it->path());
  if (walkError || files.empty()) return fail("no voices under " + voicesFolder);
  std::sort(files.begin(), files.end());
  std::unique_ptr<SynthEngine> carrier = newEngine();
  if (!carrier) return fail("cannot construct an engine");
  for (const std::filesystem::path& file : files) {
    const std::string name = file.stem().string();
    const std::string category = file.parent_path().filename().string();
    std::unique_ptr<VoiceSlot> slot(new (std::nothrow) VoiceSlot());
    if (!slot || !slot->valid()) return fail("cannot allocate a voice");
    ByteStream in;
    if (!in.openFileForReading(file.string().c_str())) return fail("cannot read " + file.string());
    const bool read = readVoiceRecord(in, *slot);
    in.close();
    if (!read) return fail("cannot read " + file.string());
    // The voice carries the name of its file, as a musician named it.
    std::snprintf(slot->name, sizeof(slot->name), "%s", name.c_str());
    slot->loopOn = isSustainedVoice(name);
    if (!copyVoiceInto(*carrier, 0, *slot)) return fail("cannot load " + name);
    const VoiceSlot& loaded = carrier->slot(0);
    const std::filesystem::path target = voicesOut / category / (name + "." + kVoiceExtension);
    if (!writeRecordFile(target, [&](ByteStream& s) { return writeVoiceRecord(s, loaded); }))
      return fail("cannot write " + target.string());
    // The stored file is the voice the instruments take.
    ByteStream back;
    if (!back.openFileForReading(target.string().c_str())) return fail("cannot read " + target.string());
    const bool again = readVoiceRecord(back, *slot);
    back.close();
    if (!again) return fail("cannot read " + target.string());
    voices[name] = std::move(slot);
    std::error_code sizeError;
    voiceInfo[name] = {category, static_cast<std::uintmax_t>(std::filesystem::file_size(target, sizeError))};
  }

  // Empty slots B-D take other voices of the instrument's category, smallest
  // first, while the instrument stays within its size limit; then slot A's voice.
  auto fillSlots = [&](InstrumentRecipe& recipe) {
    if (!voiceInfo.count(recipe.voices[0])) return false;
    std::uintmax_t total = 0;
    for (const std::string& v : recipe.voices)
      if (!v.empty()) total += voiceInfo[v].size;
    std::vector<std::pair<std::uintmax_t, std::string>> candidates;
    for (const auto& [name, info] : voiceInfo)
      if (info.category == recipe.category && name != recipe.voices[0]) candidates.push_back({info.size, name});
    std::sort(candidates.begin(), candidates.end());
    std::size_t next = 0;
    for (int s = 1; s < kNumSlots; ++s) {
      if (!recipe.voices[s].empty()) continue;
      std::string chosen = recipe.voices[0];
      for (; next < candidates.size(); ++next) {
        if (total + candidates[next].first < kInstrumentSizeBudget) {
          chosen = candidates[next++].second;
          break;
        }
      }
      recipe.voices[s] = chosen;
      total += voiceInfo[chosen].size;
    }
    return total < kInstrumentSizeBudget;
  };

  auto build = [&](const InstrumentRecipe& recipe, float volume) -> std::unique_ptr<SynthEngine> {
    const VoiceSlot* slots[kNumSlots] = {};
    for (int s = 0; s < kNumSlots; ++s) {
      auto found = voices.find(recipe.voices[s]);
      if (found == voices.end()) return nullptr;
      slots[s] = found->second.get();
    }
    std::unique_ptr<SynthEngine> engine = newEngine();
    if (!engine) return nullptr;
    InstrumentRecipe withVolume = recipe;
    withVolume.settings.push_back({Volume, volume});
    if (!buildInstrument(withVolume, slots, *engine)) return nullptr;
    return engine;
  };

  if (table)
    std::fprintf(table, "%-12s %-22s %7s %12s %14s\n", "category", "instrument", "volume", "note RMS dB",
                 "chord peak dB");
  for (InstrumentRecipe recipe : recordedInstruments()) {
    if (!fillSlots(recipe)) return fail("the instrument " + recipe.name + " names an unknown voice");
    // Levels: Volume brings the note to its target unless the chord would
    // peak too high; then the compressor narrows the gap between the two,
    // harder step by step, until both fit.
    double rms = 0.0, peak = 0.0;
    float volume = 0.5f;
    float compress = -1.0f;  // the recipe's own setting
    for (float next : {-1.0f, 0.3f, 0.45f, 0.6f, 0.7f, 0.8f, 0.88f, 0.93f, 0.96f, 0.98f}) {
      InstrumentRecipe trial = recipe;
      if (next >= 0.0f) {
        if (compress >= 0.0f && next <= compress) continue;
        bool driven = false;
        for (const auto& setting : trial.settings)
          if (setting.first == DistortionOn && setting.second > 0.5f) driven = true;
        if (!driven)
          trial.settings.insert(trial.settings.end(), {{DistortionOn, 1.0f}, {Distortion, 0.0f}, {Tube, 0.0f}});
        trial.settings.push_back({Compress, next});
      }
      std::unique_ptr<SynthEngine> noteProbe = build(trial, 0.5f);
      std::unique_ptr<SynthEngine> chordProbe = build(trial, 0.5f);
      if (!noteProbe || !chordProbe) return fail("cannot build the instrument " + recipe.name);
      if (next >= 0.0f) {
        // The compressor must leave the instrument its touch: a hard note
        // stays clearly louder than a soft one, or the previous step stands.
        std::unique_ptr<SynthEngine> soft = build(trial, 0.5f);
        std::unique_ptr<SynthEngine> hard = build(trial, 0.5f);
        if (!soft || !hard) return fail("cannot build the instrument " + recipe.name);
        if (velocityRangeDb(*soft, *hard) < kMinimumVelocityRangeDb) break;
      }
      rms = noteRmsDb(*noteProbe);
      peak = chordPeakDb(*chordProbe);
      volume = matchedVolume(rms, peak);
      if (next >= 0.0f) compress = next;
      const double reached = rms + 20.0 * std::log10(2.0 * volume + 1e-12);
      if (next >= 0.0f) recipe = trial;
      if (reached >= kTargetNoteRmsDb - kNoteTolerance) break;
      if (next < 0.0f) {
        // The recipe's own compressor setting is where the steps start.
        for (const auto& setting : recipe.settings)
          if (setting.first == Compress) compress = setting.second;
        bool driven = false;
        for (const auto& setting : recipe.settings)
          if (setting.first == DistortionOn && setting.second > 0.5f) driven = true;
        if (!driven) compress = -1.0f;
      }
    }
    std::unique_ptr<SynthEngine> engine = build(recipe, volume);
    if (!engine) return fail("cannot build the instrument " + recipe.name);
    const std::filesystem::path target = instrumentsOut / recipe.category / (recipe.name + "." + kInstrumentExtension);
    if (!writeRecordFile(target, [&](ByteStream& s) { return writeInstrumentRecord(s, *engine); }))
      return fail("cannot write " + target.string());
    // Measured again as stored.
    for (int pass = 0; pass < 2; ++pass) {
      std::unique_ptr<SynthEngine> check = newEngine();
      if (!check || !loadInstrumentFile(*check, target.string().c_str())) return fail("cannot load " + target.string());
      if (pass == 0)
        rms = noteRmsDb(*check);
      else
        peak = chordPeakDb(*check);
    }
    if (table)
      std::fprintf(table, "%-12s %-22s %7.3f %12.2f %14.2f\n", recipe.category.c_str(), recipe.name.c_str(), volume,
                   rms, peak);
  }

  // The reset instrument: the plain voice of the recipe in every slot, morph
  // centred, effects off.
  std::unique_ptr<VoiceSlot> plain(new (std::nothrow) VoiceSlot());
  if (!plain || !buildVoice(resetVoice(), *plain)) return fail("cannot build the reset voice");
  InstrumentRecipe reset = instrument("Reset", "", "", "", "", "");
  set(reset, {{Compress, 0.0f}, {Tube, 0.0f}});
  const VoiceSlot* slots[kNumSlots] = {plain.get(), plain.get(), plain.get(), plain.get()};
  // Its Volume is matched like the library's, so that a reset does not jump in level.
  std::unique_ptr<SynthEngine> noteProbe = newEngine();
  std::unique_ptr<SynthEngine> chordProbe = newEngine();
  if (!noteProbe || !chordProbe || !buildInstrument(reset, slots, *noteProbe) ||
      !buildInstrument(reset, slots, *chordProbe))
    return fail("cannot build the reset instrument");
  reset.settings.push_back({Volume, matchedVolume(noteRmsDb(*noteProbe), chordPeakDb(*chordProbe))});
  std::unique_ptr<SynthEngine> engine = newEngine();
  if (!engine || !buildInstrument(reset, slots, *engine)) return fail("cannot build the reset instrument");
  if (!writeRecordFile(root / kResetFileName, [&](ByteStream& s) { return writeInstrumentRecord(s, *engine); }))
    return fail("cannot write the reset instrument");
  return true;
}

}  // namespace vt
