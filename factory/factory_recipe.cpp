#include "factory/factory_recipe.h"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <new>

#include "engine/morph_positions.h"
#include "engine/parameter_ids.h"
#include "engine/synth_engine.h"
#include "engine/voice_slot.h"
#include "factory/category_names.h"
#include "factory/record_file.h"
#include "files/byte_stream.h"
#include "files/instrument_record.h"
#include "files/library_paths.h"
#include "files/voice_record.h"

namespace vt {

namespace {

using namespace categories;

void setRows(VoiceRecipe& v, std::initializer_list<int> notes) {
  v.rowCount = 0;
  for (int n : notes)
    if (v.rowCount < VoiceRecipe::kMaxRows) v.rowNotes[v.rowCount++] = n;
}

void setPartials(VoiceRecipe& v, std::initializer_list<InharmonicPartial> partials) {
  v.partialCount = 0;
  for (const InharmonicPartial& p : partials)
    if (v.partialCount < VoiceRecipe::kMaxPartials) v.partials[v.partialCount++] = p;
}

// --- Voices -----------------------------------------------------------------

// A warm, round synth bass: a saw-like spectrum behind a low roll-off that
// closes a little after the onset, a soft pluck of noise.
VoiceRecipe roundBass() {
  VoiceRecipe v;
  v.name = "Round Bass";
  v.category = kBasses;
  setRows(v, {28, 40, 52, 64});
  v.sustained = true;
  v.duration = 2.6f;
  v.attack = 0.006f;
  v.decay = 0.45f;
  v.sustain = 0.75f;
  v.sustainTilt = 0.3f;
  v.loopStart = 1.0f;
  v.loopEnd = 1.9f;
  v.shimmer = 0.04f;
  v.slope = 1.0f;
  v.evenLevel = 0.8f;
  v.softCutoffHz = 480.0f;
  v.loudCutoffHz = 1300.0f;
  v.cutoffKeyTrack = 0.3f;
  v.noise.burstLevel = 0.6f;
  v.noise.burstTime = 0.025f;
  v.noise.burstCentreHz = 1200.0f;
  v.noise.burstWidthOctaves = 1.5f;
  v.level = 0.85f;
  return v;
}

// A plucked string bass: bright at the onset, the overtones dying first.
VoiceRecipe pluckBass() {
  VoiceRecipe v;
  v.name = "Pluck Bass";
  v.category = kBasses;
  setRows(v, {28, 40, 52, 64});
  v.sustained = false;
  v.duration = 4.0f;
  v.attack = 0.003f;
  v.decay = 0.7f;
  v.decayTilt = 0.6f;
  v.decayKeyTrack = 0.35f;
  v.slope = 0.9f;
  v.softCutoffHz = 700.0f;
  v.loudCutoffHz = 2200.0f;
  v.cutoffKeyTrack = 0.3f;
  v.inharmonicity = 0.00008f;
  v.scoopCents = 8.0f;  // a plucked string starts a little sharp
  v.scoopTime = 0.08f;
  v.noise.burstLevel = 1.0f;
  v.noise.burstTime = 0.02f;
  v.noise.burstCentreHz = 2500.0f;
  v.noise.burstWidthOctaves = 1.5f;
  return v;
}

// A struck glass bell: bar-like overtones that ring shorter the higher they lie.
VoiceRecipe glassBell() {
  VoiceRecipe v;
  v.name = "Glass Bell";
  v.category = kChromatics;
  setRows(v, {60, 72, 84, 96});
  v.sustained = false;
  v.duration = 6.0f;
  v.attack = 0.002f;
  v.decay = 2.2f;
  v.decayTilt = 0.0f;
  v.decayKeyTrack = 0.4f;
  setPartials(v, {{1.0f, 1.0f, 1.0f},
                  {2.0f, 0.3f, 0.7f},
                  {2.76f, 0.45f, 0.55f},
                  {4.2f, 0.15f, 0.4f},
                  {5.4f, 0.22f, 0.33f},
                  {6.8f, 0.1f, 0.25f},
                  {8.93f, 0.1f, 0.18f},
                  {13.34f, 0.05f, 0.12f}});
  v.loudOvertones = 1.6f;
  v.softCutoffHz = 3000.0f;
  v.loudCutoffHz = 8000.0f;
  v.cutoffKeyTrack = 0.2f;
  v.noise.burstLevel = 1.5f;
  v.noise.burstTime = 0.025f;
  v.noise.burstCentreHz = 6000.0f;
  v.noise.burstWidthOctaves = 1.2f;
  return v;
}

// A soft wooden mallet on a tuned bar: fundamental, the fourth and the ninth
// harmonic, and a dull knock.
VoiceRecipe woodMallet() {
  VoiceRecipe v;
  v.name = "Wood Mallet";
  v.category = kChromatics;
  setRows(v, {48, 60, 72, 84});
  v.sustained = false;
  v.duration = 2.5f;
  v.attack = 0.002f;
  v.decay = 0.6f;
  v.decayTilt = 0.0f;
  v.decayKeyTrack = 0.5f;
  setPartials(v, {{1.0f, 1.0f, 1.0f}, {2.0f, 0.05f, 0.5f}, {3.93f, 0.35f, 0.3f}, {9.2f, 0.12f, 0.12f}});
  v.loudOvertones = 1.8f;
  v.softCutoffHz = 1500.0f;
  v.loudCutoffHz = 5000.0f;
  v.cutoffKeyTrack = 0.3f;
  v.noise.burstLevel = 2.0f;
  v.noise.burstTime = 0.02f;
  v.noise.burstCentreHz = 800.0f;
  v.noise.burstWidthOctaves = 1.5f;
  return v;
}

// Drawbar registration 8', 4', 2 2/3', 2', 1 1/3', 1' with a key click.
VoiceRecipe drawbarOrgan() {
  VoiceRecipe v;
  v.name = "Drawbar Organ";
  v.category = kOrgans;
  setRows(v, {36, 52, 68, 84});
  v.sustained = true;
  v.duration = 2.0f;
  v.attack = 0.008f;
  v.decay = 0.05f;
  v.sustain = 1.0f;
  v.loopStart = 0.4f;
  v.loopEnd = 1.4f;
  setPartials(v, {{1.0f, 1.0f, 1.0f},
                  {2.0f, 0.7f, 1.0f},
                  {3.0f, 0.5f, 1.0f},
                  {4.0f, 0.45f, 1.0f},
                  {6.0f, 0.25f, 1.0f},
                  {8.0f, 0.3f, 1.0f}});
  v.loudOvertones = 1.3f;
  v.softCutoffHz = 4000.0f;
  v.loudCutoffHz = 8000.0f;
  v.cutoffKeyTrack = 0.0f;
  v.noise.burstLevel = 1.2f;
  v.noise.burstTime = 0.02f;
  v.noise.burstCentreHz = 3000.0f;
  v.noise.burstWidthOctaves = 2.0f;
  v.softLevel = 0.75f;
  v.level = 0.85f;
  return v;
}

// An electric piano tine: a round fundamental, a metallic ping that dies at
// once, and more bark in the loud layer.
VoiceRecipe tinePiano() {
  VoiceRecipe v;
  v.name = "Tine Piano";
  v.category = kPianos;
  setRows(v, {36, 52, 68, 84});
  v.sustained = false;
  v.duration = 4.5f;
  v.attack = 0.002f;
  v.decay = 1.6f;
  v.decayTilt = 0.7f;
  v.decayKeyTrack = 0.45f;
  setPartials(v, {{1.0f, 1.0f, 1.0f},
                  {2.0f, 0.25f, 0.8f},
                  {3.0f, 0.12f, 0.6f},
                  {4.0f, 0.04f, 0.5f},
                  {7.1f, 0.1f, 0.12f},
                  {12.4f, 0.05f, 0.08f}});
  v.loudOvertones = 2.5f;
  v.softCutoffHz = 1200.0f;
  v.loudCutoffHz = 4000.0f;
  v.cutoffKeyTrack = 0.3f;
  v.noise.burstLevel = 0.5f;
  v.noise.burstTime = 0.02f;
  v.noise.burstCentreHz = 500.0f;
  v.noise.burstWidthOctaves = 1.5f;
  v.level = 1.1f;
  return v;
}

// A bowed string section: slow onset with the overtones arriving late, body
// resonances, a slow ensemble movement and rosin noise.
VoiceRecipe warmStrings() {
  VoiceRecipe v;
  v.name = "Warm Strings";
  v.highestHz = 8000.0f;
  v.category = kStrings;
  setRows(v, {43, 55, 67, 79});
  v.sustained = true;
  v.duration = 4.0f;
  v.attack = 0.22f;
  v.attackSpread = 0.04f;
  v.decay = 0.4f;
  v.sustain = 0.85f;
  v.sustainTilt = 0.05f;
  v.loopStart = 1.2f;
  v.loopEnd = 3.2f;
  v.shimmer = 0.12f;
  v.slope = 1.0f;
  v.evenLevel = 0.9f;
  v.softCutoffHz = 1400.0f;
  v.loudCutoffHz = 3500.0f;
  v.cutoffKeyTrack = 0.45f;
  v.cutoffOrder = 1.5f;
  const SpectralPeak body[VoiceRecipe::kMaxPeaks] = {
      {450.0f, 0.8f, 0.6f}, {1400.0f, 0.5f, 0.5f}, {3000.0f, 0.6f, 0.5f}};
  for (int p = 0; p < VoiceRecipe::kMaxPeaks; ++p) v.softPeaks[p] = v.loudPeaks[p] = body[p];
  v.scoopCents = -8.0f;
  v.noise.burstLevel = 0.5f;
  v.noise.burstTime = 0.08f;
  v.noise.burstCentreHz = 2500.0f;
  v.noise.sustainLevel = 0.15f;
  v.noise.sustainCentreHz = 4000.0f;
  v.noise.sustainWidthOctaves = 1.5f;
  v.level = 0.85f;
  return v;
}

// A square-wave lead: odd harmonics, a quick onset and a pulsing movement of
// the spectrum while it holds.
VoiceRecipe squareLead() {
  VoiceRecipe v;
  v.name = "Square Lead";
  v.category = kLeads;
  setRows(v, {48, 60, 72, 84});
  v.sustained = true;
  v.duration = 2.2f;
  v.attack = 0.01f;
  v.decay = 0.25f;
  v.sustain = 0.8f;
  v.sustainTilt = 0.1f;
  v.loopStart = 0.7f;
  v.loopEnd = 1.7f;
  v.shimmer = 0.2f;
  v.slope = 1.0f;
  v.evenLevel = 0.12f;
  v.softCutoffHz = 1800.0f;
  v.loudCutoffHz = 5000.0f;
  v.cutoffKeyTrack = 0.4f;
  v.noise.burstLevel = 0.3f;
  v.noise.burstTime = 0.025f;
  v.level = 1.1f;
  return v;
}

// A slow airy pad: soft spectrum, a shimmer of the harmonics and breath noise.
VoiceRecipe airPad() {
  VoiceRecipe v;
  v.name = "Air Pad";
  v.highestHz = 8000.0f;
  v.category = kPads;
  setRows(v, {36, 52, 68, 84});
  v.sustained = true;
  v.duration = 5.0f;
  v.attack = 0.7f;
  v.attackSpread = 0.1f;
  v.decay = 0.8f;
  v.sustain = 0.8f;
  v.loopStart = 2.3f;
  v.loopEnd = 4.3f;
  v.shimmer = 0.3f;
  v.slope = 1.3f;
  v.softCutoffHz = 900.0f;
  v.loudCutoffHz = 2200.0f;
  v.cutoffKeyTrack = 0.3f;
  v.cutoffOrder = 1.5f;
  v.noise.sustainLevel = 0.8f;
  v.noise.sustainCentreHz = 7000.0f;
  v.noise.sustainWidthOctaves = 1.3f;
  return v;
}

// Voices singing "ah" (loud) and "oh" (soft) with a slow vibrato-like drift.
VoiceRecipe choirPad() {
  VoiceRecipe v;
  v.name = "Choir Pad";
  v.highestHz = 7000.0f;
  v.category = kPads;
  setRows(v, {45, 57, 69, 81});
  v.sustained = true;
  v.duration = 4.5f;
  v.attack = 0.35f;
  v.attackSpread = 0.05f;
  v.decay = 0.5f;
  v.sustain = 0.85f;
  v.loopStart = 1.6f;
  v.loopEnd = 3.6f;
  v.shimmer = 0.18f;
  v.slope = 1.2f;
  v.softCutoffHz = 2500.0f;
  v.loudCutoffHz = 4500.0f;
  v.cutoffKeyTrack = 0.2f;
  const SpectralPeak ah[VoiceRecipe::kMaxPeaks] = {{750.0f, 4.0f, 0.25f}, {1150.0f, 3.0f, 0.2f}, {2700.0f, 2.0f, 0.2f}};
  const SpectralPeak oh[VoiceRecipe::kMaxPeaks] = {{500.0f, 4.0f, 0.25f}, {850.0f, 3.0f, 0.25f}, {2500.0f, 1.0f, 0.2f}};
  for (int p = 0; p < VoiceRecipe::kMaxPeaks; ++p) {
    v.loudPeaks[p] = ah[p];
    v.softPeaks[p] = oh[p];
  }
  v.scoopCents = -15.0f;
  v.driftCents = 10.0f;
  v.noise.sustainLevel = 0.4f;
  v.noise.sustainCentreHz = 2500.0f;
  v.noise.sustainWidthOctaves = 1.5f;
  v.level = 0.9f;
  return v;
}

// --- Instruments ------------------------------------------------------------

InstrumentRecipe roundBassInstrument() {
  InstrumentRecipe r = instrument("Round Bass", kBasses, "Round Bass", "Pluck Bass", "Drawbar Organ", "Tine Piano");
  morphAlongX(r, 0.3f, 0.6f, 0.3f);
  reverb(r, 0.12f, 0.4f, 0.5f);
  r.settings.insert(r.settings.end(), {{Release, 0.12f}, {GlobalLoopOn, 1.0f}});
  return r;
}

InstrumentRecipe glassBellsInstrument() {
  InstrumentRecipe r =
      instrument("Glass Bells", kChromatics, "Glass Bell", "Wood Mallet", "Tine Piano", "Drawbar Organ");
  slotAOnly(r);
  reverb(r, 0.35f, 0.7f, 0.5f);
  delay(r, 0.2f, 0.35f);
  r.settings.insert(r.settings.end(), {{Release, 0.4f}, {GlobalLoopOn, 0.0f}});
  return r;
}

InstrumentRecipe drawbarOrganInstrument() {
  InstrumentRecipe r = instrument("Drawbar Organ", kOrgans, "Drawbar Organ", "Square Lead", "Glass Bell", "Tine Piano");
  slotAOnly(r);
  chorus(r, 0.5f, 0.6f, 0.5f);
  reverb(r, 0.2f, 0.5f, 0.5f);
  r.settings.insert(r.settings.end(), {{Release, 0.03f}, {GlobalLoopOn, 1.0f}});
  return r;
}

InstrumentRecipe tinePianoInstrument() {
  InstrumentRecipe r = instrument("Tine Piano", kPianos, "Tine Piano", "Wood Mallet", "Glass Bell", "Drawbar Organ");
  slotAOnly(r);
  chorus(r, 0.35f, 0.5f, 0.15f);
  reverb(r, 0.25f, 0.6f, 0.5f);
  r.settings.insert(r.settings.end(), {{Release, 0.15f},
                                       {GlobalLoopOn, 0.0f},
                                       {LfoOn, 1.0f},
                                       {LfoRate, kLfoFourSixteenths},
                                       {LfoTremolo, 0.12f},
                                       {LfoVibrato, 0.0f}});
  return r;
}

InstrumentRecipe warmStringsInstrument() {
  InstrumentRecipe r = instrument("Warm Strings", kStrings, "Warm Strings", "Choir Pad", "Air Pad", "Drawbar Organ");
  morphAlongX(r, 0.2f, 0.2f, 0.2f);
  reverb(r, 0.4f, 0.8f, 0.5f);
  r.settings.insert(r.settings.end(), {{Release, 0.25f}, {GlobalLoopOn, 1.0f}});
  return r;
}

InstrumentRecipe squareLeadInstrument() {
  InstrumentRecipe r = instrument("Square Lead", kLeads, "Square Lead", "Round Bass", "Drawbar Organ", "Pluck Bass");
  slotAOnly(r);
  delay(r, 0.25f, 0.35f);
  reverb(r, 0.2f, 0.5f, 0.5f);
  r.settings.insert(r.settings.end(), {{Release, 0.08f},
                                       {GlobalLoopOn, 1.0f},
                                       {LfoOn, 1.0f},
                                       {LfoRate, kLfoTwoSixteenths},
                                       {LfoVibrato, 0.06f},
                                       {LfoTremolo, 0.0f}});
  return r;
}

// Air, choir, strings and organ morphing under drawn curves that keep moving while the key is held.
InstrumentRecipe airPadInstrument() {
  InstrumentRecipe r = instrument("Air Pad", kPads, "Air Pad", "Choir Pad", "Warm Strings", "Drawbar Organ");
  morphAlongX(r, 0.0f, 0.0f, 0.3f);
  chorus(r, 0.4f, 0.6f, 0.2f);
  reverb(r, 0.5f, 0.9f, 0.6f);
  r.settings.insert(r.settings.end(), {{Release, 0.5f},
                                       {GlobalLoopOn, 1.0f},
                                       {EnvelopeMorphOn, 1.0f},
                                       {GlobalLoopStartTime, 3.0f / 60.0f},
                                       {GlobalLoopEndTime, 9.0f / 60.0f}});
  r.morphCurves[kMorphEnvelopeHarmX] = {{0.0f, 0.0f}, {3.0f, 0.7f}, {6.0f, 0.2f}, {9.0f, 0.7f}};
  r.morphCurves[kMorphEnvelopeHarmY] = {{0.0f, 0.0f}, {4.5f, 0.5f}, {7.5f, 0.1f}, {9.0f, 0.3f}};
  r.morphCurves[kMorphEnvelopeNoiseX] = {{0.0f, 0.0f}, {3.0f, 0.4f}, {9.0f, 0.4f}};
  r.morphCurves[kMorphEnvelopeNoiseY] = {{0.0f, 0.0f}, {9.0f, 0.2f}};
  return r;
}

// --- Writing ----------------------------------------------------------------

std::string relativePath(std::initializer_list<std::string> parts) {
  std::string path;
  for (const std::string& part : parts) path += (path.empty() ? "" : "/") + part;
  return path;
}

}  // namespace

std::vector<VoiceRecipe> factoryVoices() {
  return {roundBass(), pluckBass(),   glassBell(),  woodMallet(), drawbarOrgan(),
          tinePiano(), warmStrings(), squareLead(), airPad(),     choirPad()};
}

VoiceRecipe resetVoice() {
  VoiceRecipe v;
  v.name = "Plain";
  setRows(v, {48, 72});
  v.sustained = true;
  v.duration = 2.0f;
  v.attack = 0.005f;
  v.decay = 0.05f;
  v.sustain = 1.0f;
  v.loopStart = 0.5f;
  v.loopEnd = 1.5f;
  v.slope = 1.0f;
  v.softCutoffHz = 1200.0f;
  v.loudCutoffHz = 2400.0f;
  v.cutoffKeyTrack = 0.5f;
  v.cutoffOrder = 3.0f;
  v.level = 0.7f;
  return v;
}

std::vector<InstrumentRecipe> factoryInstruments() {
  return {roundBassInstrument(),   glassBellsInstrument(), drawbarOrganInstrument(), tinePianoInstrument(),
          warmStringsInstrument(), squareLeadInstrument(), airPadInstrument()};
}

InstrumentRecipe resetInstrument() {
  const char* plain = "Plain";
  InstrumentRecipe r = instrument("Reset", "", plain, plain, plain, plain);
  slotAOnly(r);
  return r;
}

bool writeFactoryLibrary(const std::string& folder, std::vector<std::string>* written, std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  const std::filesystem::path root(folder);
  const std::string voicesRoot = relativePath({kDataFolderName, kVoicesFolderName});
  const std::string instrumentsRoot = relativePath({kDataFolderName, kFactoryInstrumentsFolderName});

  // Every voice is built once; instruments take copies of them.
  std::map<std::string, std::unique_ptr<VoiceSlot>> voices;
  auto build = [&](const VoiceRecipe& recipe) -> VoiceSlot* {
    std::unique_ptr<VoiceSlot> slot(new (std::nothrow) VoiceSlot());
    if (!slot || !buildVoice(recipe, *slot)) return nullptr;
    VoiceSlot* built = slot.get();
    voices[recipe.name] = std::move(slot);
    return built;
  };

  for (const VoiceRecipe& recipe : factoryVoices()) {
    VoiceSlot* slot = build(recipe);
    if (!slot) return fail(std::string("cannot build the voice ") + recipe.name);
    const std::string file =
        relativePath({voicesRoot, recipe.category, std::string(recipe.name) + "." + kVoiceExtension});
    if (!writeRecordFile(root / file, [&](ByteStream& out) { return writeVoiceRecord(out, *slot); }))
      return fail("cannot write " + file);
    if (written) written->push_back(file);
  }
  if (!build(resetVoice())) return fail("cannot build the reset voice");

  auto writeOne = [&](const InstrumentRecipe& recipe, const std::string& file) {
    const VoiceSlot* slots[kNumSlots] = {};
    for (int s = 0; s < kNumSlots; ++s) {
      auto found = voices.find(recipe.voices[s]);
      if (found == voices.end()) return fail("the instrument " + recipe.name + " names an unknown voice");
      slots[s] = found->second.get();
    }
    std::unique_ptr<SynthEngine> engine(new (std::nothrow) SynthEngine());
    if (!engine || !engine->constructedCompletely()) return fail("cannot construct an engine");
    if (!buildInstrument(recipe, slots, *engine)) return fail("cannot build the instrument " + recipe.name);
    if (!writeRecordFile(root / file, [&](ByteStream& out) { return writeInstrumentRecord(out, *engine); }))
      return fail("cannot write " + file);
    if (written) written->push_back(file);
    return true;
  };
  for (const InstrumentRecipe& recipe : factoryInstruments()) {
    if (!writeOne(recipe, relativePath({instrumentsRoot, recipe.category, recipe.name + "." + kInstrumentExtension})))
      return false;
  }
  return writeOne(resetInstrument(), kResetFileName);
}

}  // namespace vt
