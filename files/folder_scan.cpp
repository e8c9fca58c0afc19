#include "files/folder_scan.h"

#include <cstring>

namespace vt {

namespace {

char lowerCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// True when 'text' lower-cased equals 'lower'.
bool equalsLowerCased(const char* text, const char* lower) {
  for (; *text && *lower; ++text, ++lower)
    if (lowerCase(*text) != *lower) return false;
  return *text == 0 && *lower == 0;
}

class SubfolderCollector final : public FolderEntryVisitor {
public:
  explicit SubfolderCollector(NameList& list) : names(list) {}
  bool visitEntry(const char* name, bool isDirectory) override {
    if (!name || name[0] == '.' || !isDirectory) return true;
    const std::size_t length = std::strlen(name);
    if (length > static_cast<std::size_t>(NameList::kMaxNameLength)) return true;
    names.add(name, length);
    return !names.isFull();
  }

private:
  NameList& names;
};

class FileCollector final : public FolderEntryVisitor {
public:
  FileCollector(NameList& list, const char* wanted) : names(list), extension(wanted) {}
  bool visitEntry(const char* name, bool /*isDirectory*/) override {
    if (!name) return true;
    const char* dot = std::strchr(name, '.');
    if (!dot || !equalsLowerCased(dot + 1, extension)) return true;
    const std::size_t length = static_cast<std::size_t>(dot - name);
    // A file named only by its extension has no name to list or to open.
    if (length == 0 || length > static_cast<std::size_t>(NameList::kMaxNameLength)) return true;
    names.add(name, length, dot + 1);
    return !names.isFull();
  }

private:
  NameList& names;
  const char* extension;
};

}  // namespace

int listSubfolders(const FolderLister& lister, const char* folder, NameList& names) {
  names.clear();
  if (names.capacity() == 0 || !folder) return 0;
  SubfolderCollector collector(names);
  lister.listEntries(folder, collector);
  return names.count();
}

int listFiles(const FolderLister& lister, const char* folder, const char* extension, NameList& names) {
  names.clear();
  if (names.capacity() == 0 || !folder || !extension) return 0;
  FileCollector collector(names, extension);
  lister.listEntries(folder, collector);
  return names.count();
}

}  // namespace vt
