#include "files/voice_library.h"

#include <cstring>
#include <new>

#include "files/folder_scan.h"

namespace vt {

VoiceLibrary::VoiceLibrary() {
  // Each category's list gets its room when a scan finds the category.
  voices = new (std::nothrow) NameList[kMaxCategories];
}

VoiceLibrary::~VoiceLibrary() { delete[] voices; }

bool VoiceLibrary::isValid() const { return voices && categories.capacity() > 0 && topLevel.capacity() > 0; }

void VoiceLibrary::rescan(const FolderLister& lister, const char* rootFolder) {
  separator = lister.separator();
  std::memset(root, 0, sizeof(root));
  if (rootFolder && std::strlen(rootFolder) < sizeof(root)) std::memcpy(root, rootFolder, std::strlen(rootFolder));
  categories.clear();
  topLevel.clear();
  if (!voices) return;
  for (int i = 0; i < kMaxCategories; ++i) voices[i].clear();
  if (!root[0]) return;

  listSubfolders(lister, root, categories);
  char folder[kLibraryPathSize];
  for (int i = 0; i < categories.count(); ++i) {
    if (voices[i].capacity() == 0 && !voices[i].reserve(kMaxVoices)) continue;  // listed empty
    if (joinLibraryPath(folder, sizeof(folder), separator, root, categories.name(i)))
      listFiles(lister, folder, kVoiceExtension, voices[i]);
  }
  if (categories.count() == 0) listFiles(lister, root, kVoiceExtension, topLevel);
}

int VoiceLibrary::voiceCount(int category) const {
  if (!voices || category < 0 || category >= categories.count()) return 0;
  return voices[category].count();
}

const char* VoiceLibrary::voiceName(int category, int item) const {
  if (!voices || category < 0 || category >= categories.count()) return "";
  return voices[category].name(item);
}

bool VoiceLibrary::voicePath(int category, int item, char* out, int size) const {
  if (out && size > 0) out[0] = 0;
  if (item < 0 || item >= voiceCount(category)) return false;
  return voiceMenuPath(root, separator, categoryName(category), voiceName(category, item), out, size,
                       voices[category].extension(item));
}

bool VoiceLibrary::topLevelVoicePath(int item, char* out, int size) const {
  if (out && size > 0) out[0] = 0;
  if (item < 0 || item >= topLevel.count()) return false;
  return voiceMenuPath(root, separator, nullptr, topLevel.name(item), out, size, topLevel.extension(item));
}

}  // namespace vt
