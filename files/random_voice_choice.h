// The random voice command's choice of four voice files: each slot takes the
// voice category that best matches the selected instrument category (or, one
// time in ten or when none matches, a category chosen at random) and a voice
// file chosen at random in it.
#pragma once

#include "engine/parameter_ids.h"
#include "engine/random_source.h"
#include "files/library_paths.h"
#include "files/name_list.h"
#include "platform/folder_enumeration.h"

namespace vt {

// The voice category whose name shares the longest common prefix with
// 'instrumentCategory', at least three characters; on equal length the
// earlier one in the listing. -1 when none shares three characters.
int bestVoiceCategory(const NameList& voiceCategories, const char* instrumentCategory);

class RandomVoiceChoice {
public:
  static constexpr int kMinimumPrefix = 3;
  static constexpr double kRandomCategoryChance = 0.1;

  RandomVoiceChoice();

  // Lists the categories of 'voicesRoot' and picks a voice file for each of
  // the four slots, drawing from 'random'. A slot whose category holds no
  // voice gets no pick.
  void choose(const FolderLister& lister, const char* voicesRoot, const char* instrumentCategory, RandomSource& random);

  bool hasPick(int slot) const { return slot >= 0 && slot < kNumSlots && picked[slot]; }
  // The chosen file's path; "" without a pick.
  const char* path(int slot) const { return hasPick(slot) ? paths[slot] : ""; }
  // The category the slot drew from (-1 when there were none).
  int category(int slot) const { return slot >= 0 && slot < kNumSlots ? categories[slot] : -1; }
  const NameList& voiceCategories() const { return categoryNames; }

private:
  NameList categoryNames;
  NameList voiceNames;
  char paths[kNumSlots][kLibraryPathSize];
  bool picked[kNumSlots];
  int categories[kNumSlots];
};

}  // namespace vt
