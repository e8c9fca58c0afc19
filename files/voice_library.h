// The voice library: the category folders under the voices root and the voice
// files ("v7v") in each, as the last rescan found them. When the root has no
// category folders, the voice files lying directly in it are listed instead.
#pragma once

#include "files/library_paths.h"
#include "files/name_list.h"
#include "platform/folder_enumeration.h"

namespace vt {

class VoiceLibrary {
public:
  static constexpr int kMaxCategories = 64;
  static constexpr int kMaxVoices = 128;  // per category, and at the top level

  VoiceLibrary();
  ~VoiceLibrary();

  VoiceLibrary(const VoiceLibrary&) = delete;
  VoiceLibrary& operator=(const VoiceLibrary&) = delete;

  bool isValid() const;

  void rescan(const FolderLister& lister, const char* root);

  const char* rootFolder() const { return root; }
  int categoryCount() const { return categories.count(); }
  const char* categoryName(int category) const { return categories.name(category); }
  int voiceCount(int category) const;
  const char* voiceName(int category, int item) const;
  // Voice files directly in the root; listed only when there are no categories.
  int topLevelCount() const { return topLevel.count(); }
  const char* topLevelName(int item) const { return topLevel.name(item); }

  // root/category/name.v7v for a listed voice; false otherwise.
  bool voicePath(int category, int item, char* out, int size) const;
  // root/name.v7v for a listed top-level voice; false otherwise.
  bool topLevelVoicePath(int item, char* out, int size) const;

private:
  NameList categories{kMaxCategories};
  NameList* voices = nullptr;  // kMaxCategories lists
  NameList topLevel{kMaxVoices};
  char root[kLibraryPathSize] = {};
  char separator = '/';
};

}  // namespace vt
