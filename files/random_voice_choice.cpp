#include "files/random_voice_choice.h"

#include "files/folder_scan.h"
#include "files/voice_library.h"

namespace vt {

namespace {

int commonPrefixLength(const char* a, const char* b) {
  int n = 0;
  while (a[n] && a[n] == b[n]) ++n;
  return n;
}

}  // namespace

int bestVoiceCategory(const NameList& voiceCategories, const char* instrumentCategory) {
  if (!instrumentCategory) return -1;
  int best = -1;
  int bestLength = RandomVoiceChoice::kMinimumPrefix - 1;
  for (int i = 0; i < voiceCategories.count(); ++i) {
    const int length = commonPrefixLength(voiceCategories.name(i), instrumentCategory);
    if (length > bestLength) {
      best = i;
      bestLength = length;
    }
  }
  return best;
}

RandomVoiceChoice::RandomVoiceChoice()
    : categoryNames(VoiceLibrary::kMaxCategories), voiceNames(VoiceLibrary::kMaxVoices) {
  for (int slot = 0; slot < kNumSlots; ++slot) {
    paths[slot][0] = 0;
    picked[slot] = false;
    categories[slot] = -1;
  }
}

void RandomVoiceChoice::choose(const FolderLister& lister, const char* voicesRoot, const char* instrumentCategory,
                               RandomSource& random) {
  for (int slot = 0; slot < kNumSlots; ++slot) {
    paths[slot][0] = 0;
    picked[slot] = false;
    categories[slot] = -1;
  }
  listSubfolders(lister, voicesRoot, categoryNames);
  const int count = categoryNames.count();
  if (count == 0) return;
  const int best = bestVoiceCategory(categoryNames, instrumentCategory);
  const char separator = lister.separator();

  for (int slot = 0; slot < kNumSlots; ++slot) {
    int category = best;
    if (best < 0 || random.next() / static_cast<double>(RandomSource::kMax) < kRandomCategoryChance)
      category = random.next() % count;
    categories[slot] = category;

    char folder[kLibraryPathSize];
    if (!joinLibraryPath(folder, sizeof(folder), separator, voicesRoot, categoryNames.name(category))) continue;
    const int voices = listFiles(lister, folder, kVoiceExtension, voiceNames);
    if (voices == 0) continue;
    const int item = random.next() % voices;
    picked[slot] = voiceMenuPath(voicesRoot, separator, categoryNames.name(category), voiceNames.name(item),
                                 paths[slot], kLibraryPathSize, voiceNames.extension(item));
  }
}

}  // namespace vt
