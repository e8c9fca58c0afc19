// The random voice choice: category matching by common prefix and the picks per slot.
#include "files/random_voice_choice.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tests/support/fake_folder_lister.h"

namespace vt {
namespace {

const std::vector<std::string> kVoiceCategories = {"Basses", "Brass-Winds", "Chromatics",  "Guitars",   "Organs",
                                                   "Pianos", "Strings",     "Synth Leads", "Synth Pads"};

// A category list filled in memory.
struct Categories {
  explicit Categories(const std::vector<std::string>& names) {
    for (const auto& name : names) list.add(name.c_str(), name.size());
  }
  NameList list{64};
};

TEST(BestVoiceCategory, TakesTheLongestCommonPrefixOfAtLeastThreeCharactersEarliestFirst) {
  const Categories usual(kVoiceCategories);
  const NameList& categories = usual.list;
  EXPECT_EQ(bestVoiceCategory(categories, "Synth Pads"), 8);
  EXPECT_EQ(bestVoiceCategory(categories, "Synth Basses"), 7);  // "Synth " with Leads and Pads; Leads is listed first
  EXPECT_EQ(bestVoiceCategory(categories, "Bells"), -1);        // "B" only
  EXPECT_EQ(bestVoiceCategory(categories, "Pia"), 5);
  EXPECT_EQ(bestVoiceCategory(categories, "Pi"), -1);
  EXPECT_EQ(bestVoiceCategory(categories, "pianos"), -1);  // case counts
  EXPECT_EQ(bestVoiceCategory(categories, ""), -1);
  EXPECT_EQ(bestVoiceCategory(categories, nullptr), -1);

  const Categories reversed({"Synth Pads", "Synth Leads"});
  EXPECT_EQ(bestVoiceCategory(reversed.list, "Synth Basses"), 0);
  EXPECT_EQ(bestVoiceCategory(NameList(4), "Pianos"), -1);
}

// Voices root "/v" with the usual categories, three voices in each.
test::FakeFolderLister libraryLister() {
  test::FakeFolderLister lister;
  for (const auto& category : kVoiceCategories) {
    lister.addFolder("/v", category);
    for (int i = 0; i < 3; ++i) lister.addFile("/v/" + category, category.substr(0, 2) + std::to_string(i) + ".v7v");
  }
  return lister;
}

std::string categoryOfPath(const std::string& path) {
  const size_t start = path.find('/', 1) + 1;
  return path.substr(start, path.find('/', start) - start);
}

TEST(RandomVoiceChoice, MatchingCategoryWinsNineTimesInTenAndFilesAreChosenUniformly) {
  const test::FakeFolderLister lister = libraryLister();
  RandomSource random(7);
  RandomVoiceChoice choice;
  int inPianos = 0;
  int picks = 0;
  std::set<std::string> files;
  for (int run = 0; run < 2000; ++run) {
    choice.choose(lister, "/v", "Pianos", random);
    for (int slot = 0; slot < kNumSlots; ++slot) {
      ASSERT_TRUE(choice.hasPick(slot));
      const std::string path = choice.path(slot);
      EXPECT_EQ(categoryOfPath(path), kVoiceCategories[choice.category(slot)]);
      if (choice.category(slot) == 5) {
        ++inPianos;
        files.insert(path);
      }
      ++picks;
    }
  }
  // Best category 0.9 of the time, plus its share of the random tenth.
  EXPECT_NEAR(inPianos / static_cast<double>(picks), 0.9 + 0.1 / 9.0, 0.015);
  EXPECT_EQ(files, (std::set<std::string>{"/v/Pianos/Pi0.v7v", "/v/Pianos/Pi1.v7v", "/v/Pianos/Pi2.v7v"}));
}

TEST(RandomVoiceChoice, WithoutAMatchEverySlotDrawsARandomCategory) {
  const test::FakeFolderLister lister = libraryLister();
  RandomSource random(11);
  RandomVoiceChoice choice;
  std::vector<int> perCategory(kVoiceCategories.size(), 0);
  for (int run = 0; run < 900; ++run) {
    choice.choose(lister, "/v", "Bells", random);
    for (int slot = 0; slot < kNumSlots; ++slot) ++perCategory[choice.category(slot)];
  }
  for (int count : perCategory) EXPECT_NEAR(count, 400, 80);
}

TEST(RandomVoiceChoice, EmptyCategoriesAndAnEmptyRootLeaveSlotsWithoutPicks) {
  test::FakeFolderLister lister;
  lister.addFolder("/v", "Pianos");
  lister.addFolder("/e", ".hidden");
  lister.addFile("/v/Pianos", "notes.txt");
  RandomSource random(3);
  RandomVoiceChoice choice;
  choice.choose(lister, "/v", "Pianos", random);
  for (int slot = 0; slot < kNumSlots; ++slot) {
    EXPECT_FALSE(choice.hasPick(slot));
    EXPECT_STREQ(choice.path(slot), "");
    EXPECT_EQ(choice.category(slot), 0);
  }

  RandomSource copy = random;
  choice.choose(lister, "/e", "Pianos", random);
  for (int slot = 0; slot < kNumSlots; ++slot) EXPECT_EQ(choice.category(slot), -1);
  EXPECT_EQ(random.next(), copy.next());  // nothing was drawn
  choice.choose(lister, "/missing", "Pianos", random);
  EXPECT_FALSE(choice.hasPick(0));
}

TEST(RandomVoiceChoice, TheSameSeedGivesTheSamePicks) {
  const test::FakeFolderLister lister = libraryLister();
  RandomSource first(42);
  RandomSource second(42);
  RandomVoiceChoice a;
  RandomVoiceChoice b;
  for (int run = 0; run < 20; ++run) {
    a.choose(lister, "/v", "Strings", first);
    b.choose(lister, "/v", "Strings", second);
    for (int slot = 0; slot < kNumSlots; ++slot) EXPECT_STREQ(a.path(slot), b.path(slot));
  }
}

}  // namespace
}  // namespace vt
