// The recipe behind the factory library: it rebuilds the committed files byte
// for byte, and the voices it makes are proper multisampled models.
#include "factory/factory_recipe.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/synth_engine.h"
#include "engine/voice_slot.h"
#include "files/engine_loader.h"
#include "tests/factory/factory_test_support.h"
#include "tests/support/temp_folder.h"

namespace vt {
namespace {

std::string fileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::unique_ptr<VoiceSlot> built(const VoiceRecipe& recipe) {
  auto slot = std::make_unique<VoiceSlot>();
  if (!buildVoice(recipe, *slot)) return nullptr;
  return slot;
}

// Amplitude-weighted mean harmonic number of a set at time t: a measure of brightness.
double brightness(HarmonicSet& set, float t) {
  double sum = 0.0, weighted = 0.0;
  for (int h = 0; h < HarmonicSet::kHarmonics; ++h) {
    const double a = set.amplitude[h].evaluate(t);
    sum += a;
    weighted += a * (h + 1);
  }
  return sum > 0.0 ? weighted / sum : 0.0;
}

// The synthetic library is a complete library without recordings: every file
// it lists is written and every instrument loads.
TEST(FactoryRecipe, WritesACompleteLibraryThatLoads) {
  test::TempFolder temp;
  ASSERT_FALSE(temp.string().empty());
  std::vector<std::string> written;
  std::string error;
  ASSERT_TRUE(writeFactoryLibrary(temp.string(), &written, &error)) << error;

  const std::vector<std::string> made = test::filesUnder(temp.path());
  EXPECT_EQ(std::set<std::string>(written.begin(), written.end()), std::set<std::string>(made.begin(), made.end()));
  int instruments = 0;
  for (const std::string& file : made) {
    EXPECT_FALSE(fileBytes(temp.path() / file).empty()) << file;
    if (!test::endsWith(file, ".v7i")) continue;
    auto engine = std::make_unique<SynthEngine>();
    EXPECT_TRUE(loadInstrumentFile(*engine, (temp.path() / file).string().c_str())) << file;
    ++instruments;
  }
  EXPECT_EQ(instruments, static_cast<int>(factoryInstruments().size()) + 1);
}

TEST(FactoryRecipe, TwoRunsWriteTheSameBytes) {
  test::TempFolder first;
  test::TempFolder second;
  ASSERT_TRUE(writeFactoryLibrary(first.string(), nullptr, nullptr));
  ASSERT_TRUE(writeFactoryLibrary(second.string(), nullptr, nullptr));
  const std::vector<std::string> files = test::filesUnder(first.path());
  ASSERT_EQ(files, test::filesUnder(second.path()));
  for (const std::string& file : files)
    EXPECT_TRUE(fileBytes(first.path() / file) == fileBytes(second.path() / file)) << file;
}

TEST(FactoryRecipe, VoicesAreMultisampledInTwoLayersWithAscendingRows) {
  std::vector<VoiceRecipe> recipes = factoryVoices();
  recipes.push_back(resetVoice());
  for (const VoiceRecipe& recipe : recipes) {
    SCOPED_TRACE(recipe.name);
    auto slot = built(recipe);
    ASSERT_NE(slot, nullptr);
    EXPECT_STREQ(slot->name, recipe.name);
    EXPECT_EQ(slot->rowCount, recipe.rowCount);
    EXPECT_EQ(slot->layerCount, 2);
    EXPECT_GE(slot->rowCount, 2);
    for (int r = 0; r < slot->rowCount; ++r) {
      for (int l = 0; l < 2; ++l) {
        HarmonicSet& set = slot->harmonics[r][l];
        EXPECT_GT(set.duration, 0.5f);
        // The first harmonic carries the time axis and every curve starts and ends silent.
        ASSERT_GE(set.amplitude[0].count(), 5);
        for (int h = 0; h < HarmonicSet::kHarmonics; ++h) {
          const BreakpointCurve& a = set.amplitude[h];
          if (a.count() == 0) continue;
          EXPECT_EQ(a.y(0), 0.0f) << "harmonic " << h + 1;
          EXPECT_EQ(a.y(a.count() - 1), 0.0f) << "harmonic " << h + 1;
          ASSERT_GE(set.frequency[h].count(), 2) << "harmonic " << h + 1;
          for (int i = 0; i < set.frequency[h].count(); ++i) {
            EXPECT_GE(set.frequency[h].y(i), h + 0.05f);
            EXPECT_LE(set.frequency[h].y(i), h + 1.95f);
          }
        }
        // Sparse curves: the whole file stays small.
        EXPECT_LE(set.amplitude[0].count(), 40);
      }
      if (r > 0) {
        EXPECT_GT(slot->harmonics[r][0].baseFrequency, slot->harmonics[r - 1][0].baseFrequency);
      }
    }
  }
}

TEST(FactoryRecipe, LoudLayersAreBrighterThanSoftOnes) {
  for (const VoiceRecipe& recipe : factoryVoices()) {
    SCOPED_TRACE(recipe.name);
    auto slot = built(recipe);
    ASSERT_NE(slot, nullptr);
    for (int r = 0; r < slot->rowCount; ++r) {
      const float t = 0.1f;
      EXPECT_GE(brightness(slot->harmonics[r][1], t), brightness(slot->harmonics[r][0], t)) << "row " << r;
    }
  }
}

TEST(FactoryRecipe, SustainedVoicesKeepTheirLoopAndDecayingOnesDoNotLoop) {
  for (const VoiceRecipe& recipe : factoryVoices()) {
    SCOPED_TRACE(recipe.name);
    auto slot = built(recipe);
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(slot->loopOn, recipe.sustained);
    if (!recipe.sustained) continue;
    // The loop survives the marker fitting: it lies after the attack and before the end.
    EXPECT_FLOAT_EQ(slot->loopStart, recipe.loopStart);
    EXPECT_FLOAT_EQ(slot->loopEnd, recipe.loopEnd);
    ASSERT_EQ(slot->markers.count(), 5);
    EXPECT_LT(slot->markers.x(1), slot->loopStart);
    EXPECT_LT(slot->loopEnd, slot->markers.x(4));
    // The sound joins itself at the loop: the same levels at both loop points.
    for (int r = 0; r < slot->rowCount; ++r) {
      HarmonicSet& set = slot->harmonics[r][1];
      for (int h = 0; h < HarmonicSet::kHarmonics; ++h) {
        if (set.amplitude[h].count() == 0) continue;
        const float start = set.amplitude[h].evaluate(slot->loopStart);
        const float end = set.amplitude[h].evaluate(slot->loopEnd);
        EXPECT_NEAR(start, end, 1e-4f + 1e-3f * start) << "row " << r << " harmonic " << h + 1;
        if (h == 0) {
          EXPECT_GT(start, 0.0f) << "row " << r;
        }
        EXPECT_NEAR(set.frequency[h].evaluate(slot->loopStart), set.frequency[h].evaluate(slot->loopEnd), 1e-4f);
      }
    }
  }
}

TEST(FactoryRecipe, RefusesRecipesThatDoNotDescribeAVoice) {
  VoiceSlot slot;
  VoiceRecipe noRows = resetVoice();
  noRows.rowCount = 0;
  EXPECT_FALSE(buildVoice(noRows, slot));

  VoiceRecipe tooManyRows = resetVoice();
  tooManyRows.rowCount = VoiceSlot::kRows + 1;
  EXPECT_FALSE(buildVoice(tooManyRows, slot));

  VoiceRecipe descending = resetVoice();
  descending.rowNotes[1] = descending.rowNotes[0];
  EXPECT_FALSE(buildVoice(descending, slot));

  VoiceRecipe loopAfterEnd = resetVoice();
  loopAfterEnd.loopEnd = loopAfterEnd.duration + 1.0f;
  EXPECT_FALSE(buildVoice(loopAfterEnd, slot));

  VoiceRecipe loopInAttack = resetVoice();
  loopInAttack.attack = loopInAttack.loopStart;
  EXPECT_FALSE(buildVoice(loopInAttack, slot));

  VoiceRecipe noLength = resetVoice();
  noLength.duration = 0.0f;
  EXPECT_FALSE(buildVoice(noLength, slot));

  // A partial too far from a whole harmonic number has no harmonic to sit on.
  VoiceRecipe silent = resetVoice();
  silent.partialCount = 1;
  silent.partials[0] = {200.0f, 1.0f, 1.0f};
  EXPECT_FALSE(buildVoice(silent, slot));
}

TEST(FactoryRecipe, InstrumentsNameFactoryVoicesAndEveryCategoryHasBoth) {
  std::set<std::string> voiceNames;
  std::set<std::string> voiceCategories;
  for (const VoiceRecipe& v : factoryVoices()) {
    EXPECT_TRUE(voiceNames.insert(v.name).second) << "two voices named " << v.name;
    voiceCategories.insert(v.category);
  }
  std::set<std::string> instrumentCategories;
  for (const InstrumentRecipe& r : factoryInstruments()) {
    instrumentCategories.insert(r.category);
    for (const std::string& v : r.voices) EXPECT_EQ(voiceNames.count(v), 1u) << r.name << " names " << v;
  }
  // Random voices pair instrument and voice categories by name.
  EXPECT_EQ(instrumentCategories, voiceCategories);
}

}  // namespace
}  // namespace vt
