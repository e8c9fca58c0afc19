// The factory instrument library: the category folders under the factory root
// and the instrument files ("v7i") in each, as the last rescan found them.
#pragma once

#include "files/library_paths.h"
#include "files/name_list.h"
#include "platform/folder_enumeration.h"

namespace vt {

// The random instrument generator's number for an instrument category name:
// "Basses" 1 ... "Voices" 10, any other name 0.
int instrumentCategoryNumber(const char* categoryName);

class InstrumentLibrary {
public:
  static constexpr int kMaxCategories = 64;
  static constexpr int kMaxInstruments = 128;  // per category

  InstrumentLibrary();
  ~InstrumentLibrary();

  InstrumentLibrary(const InstrumentLibrary&) = delete;
  InstrumentLibrary& operator=(const InstrumentLibrary&) = delete;

  // False when the name storage could not be had; such a library stays empty.
  bool isValid() const;

  // Lists the categories of 'root' and, for each, its instrument files.
  void rescan(const FolderLister& lister, const char* root);

  const char* rootFolder() const { return root; }
  int categoryCount() const { return categories.count(); }
  const char* categoryName(int category) const { return categories.name(category); }
  int instrumentCount(int category) const;
  // "" when the category or item is not listed.
  const char* instrumentName(int category, int item) const;

  // root/category/name.v7i; false when the item is not listed or the path does not fit.
  bool instrumentPath(int category, int item, char* out, int size) const;

private:
  NameList categories{kMaxCategories};
  NameList* instruments = nullptr;  // kMaxCategories lists
  char root[kLibraryPathSize] = {};
  char separator = '/';
};

}  // namespace vt
