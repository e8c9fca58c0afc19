#include "files/instrument_library.h"

#include <cstring>
#include <new>

#include "files/folder_scan.h"

namespace vt {

namespace {

// Category names that carry a number for the random instrument generator, in number order from 1.
const char* const kNumberedCategories[] = {"Basses", "Brass-Winds", "Chromatics",  "Guitars",    "Organs",
                                           "Pianos", "Strings",     "Synth Leads", "Synth Pads", "Voices"};

}  // namespace

int instrumentCategoryNumber(const char* categoryName) {
  if (!categoryName) return 0;
  int number = 1;
  for (const char* name : kNumberedCategories) {
    if (std::strcmp(categoryName, name) == 0) return number;
    ++number;
  }
  return 0;
}

InstrumentLibrary::InstrumentLibrary() {
  // Each category's list gets its room when a scan finds the category, so an
  // instance holds room for the categories there are, not for 64.
  instruments = new (std::nothrow) NameList[kMaxCategories];
}

InstrumentLibrary::~InstrumentLibrary() { delete[] instruments; }

bool InstrumentLibrary::isValid() const { return instruments && categories.capacity() > 0; }

void InstrumentLibrary::rescan(const FolderLister& lister, const char* rootFolder) {
  separator = lister.separator();
  std::memset(root, 0, sizeof(root));
  if (rootFolder && std::strlen(rootFolder) < sizeof(root)) std::memcpy(root, rootFolder, std::strlen(rootFolder));
  categories.clear();
  if (!instruments) return;
  for (int i = 0; i < kMaxCategories; ++i) instruments[i].clear();
  if (!root[0]) return;

  listSubfolders(lister, root, categories);
  char folder[kLibraryPathSize];
  for (int i = 0; i < categories.count(); ++i) {
    if (instruments[i].capacity() == 0 && !instruments[i].reserve(kMaxInstruments)) continue;  // listed empty
    if (joinLibraryPath(folder, sizeof(folder), separator, root, categories.name(i)))
      listFiles(lister, folder, kInstrumentExtension, instruments[i]);
  }
}

int InstrumentLibrary::instrumentCount(int category) const {
  if (!instruments || category < 0 || category >= categories.count()) return 0;
  return instruments[category].count();
}

const char* InstrumentLibrary::instrumentName(int category, int item) const {
  if (!instruments || category < 0 || category >= categories.count()) return "";
  return instruments[category].name(item);
}

bool InstrumentLibrary::instrumentPath(int category, int item, char* out, int size) const {
  if (out && size > 0) out[0] = 0;
  if (item < 0 || item >= instrumentCount(category)) return false;
  // The file's own spelling of the extension, so Grand.V7I opens where case counts.
  const char* extension = instruments[category].extension(item);
  return joinLibraryPath(out, size, separator, root, categoryName(category), instrumentName(category, item),
                         extension[0] ? extension : kInstrumentExtension);
}

}  // namespace vt
