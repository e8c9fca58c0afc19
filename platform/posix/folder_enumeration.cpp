#include "platform/folder_enumeration.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/module_path.h"

namespace vt {

namespace {

// Entry names of one folder, kept in one growing block of characters.
class NameCollection {
public:
  ~NameCollection() {
    std::free(characters);
    std::free(offsets);
    std::free(directoryFlags);
    std::free(order);
  }
  NameCollection() = default;
  NameCollection(const NameCollection&) = delete;
  NameCollection& operator=(const NameCollection&) = delete;

  bool add(const char* name, bool isDirectory) {
    const std::size_t length = std::strlen(name) + 1;
    if (used + length > capacity) {
      std::size_t grown = capacity ? capacity * 2 : 4096;
      while (grown < used + length) grown *= 2;
      char* more = static_cast<char*>(std::realloc(characters, grown));
      if (!more) return false;
      characters = more;
      capacity = grown;
    }
    if (count == slots) {
      const std::size_t grown = slots ? slots * 2 : 64;
      std::size_t* moreOffsets = static_cast<std::size_t*>(std::realloc(offsets, grown * sizeof(std::size_t)));
      if (!moreOffsets) return false;
      offsets = moreOffsets;
      bool* moreFlags = static_cast<bool*>(std::realloc(directoryFlags, grown * sizeof(bool)));
      if (!moreFlags) return false;
      directoryFlags = moreFlags;
      slots = grown;
    }
    std::memcpy(characters + used, name, length);
    offsets[count] = used;
    directoryFlags[count] = isDirectory;
    used += length;
    ++count;
    return true;
  }

  std::size_t size() const { return count; }
  const char* name(std::size_t i) const { return characters + offsets[order[i]]; }
  bool isDirectory(std::size_t i) const { return directoryFlags[order[i]]; }

  // Orders the entries by name, ignoring ASCII case (upper-case collation as
  // NTFS uses), with a byte comparison between names that differ only in case.
  bool sort() {
    order = static_cast<std::size_t*>(std::malloc((count ? count : 1) * sizeof(std::size_t)));
    if (!order) return false;
    for (std::size_t i = 0; i < count; ++i) order[i] = i;
    std::sort(order, order + count, [this](std::size_t a, std::size_t b) {
      return compareNames(characters + offsets[a], characters + offsets[b]) < 0;
    });
    return true;
  }

private:
  static int upper(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c; }
  static int compareNames(const char* x, const char* y) {
    for (std::size_t i = 0;; ++i) {
      const int cx = upper(static_cast<unsigned char>(x[i]));
      const int cy = upper(static_cast<unsigned char>(y[i]));
      if (cx != cy) return cx < cy ? -1 : 1;
      if (x[i] == 0) break;
    }
    return std::strcmp(x, y);
  }

  char* characters = nullptr;
  std::size_t used = 0;
  std::size_t capacity = 0;
  std::size_t* offsets = nullptr;
  bool* directoryFlags = nullptr;
  std::size_t* order = nullptr;
  std::size_t count = 0;
  std::size_t slots = 0;
};

bool entryIsDirectory(const char* folder, const dirent* entry) {
#ifdef DT_DIR
  if (entry->d_type == DT_DIR) return true;
  if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK) return false;
#endif
  // The type is unknown or the entry is a link: ask for what it leads to.
  const std::size_t folderLength = std::strlen(folder);
  const std::size_t nameLength = std::strlen(entry->d_name);
  char* path = static_cast<char*>(std::malloc(folderLength + nameLength + 2));
  if (!path) return false;
  std::memcpy(path, folder, folderLength);
  path[folderLength] = '/';
  std::memcpy(path + folderLength + 1, entry->d_name, nameLength + 1);
  struct stat info;
  const bool isDirectory = stat(path, &info) == 0 && S_ISDIR(info.st_mode);
  std::free(path);
  return isDirectory;
}

}  // namespace

bool SystemFolderLister::listEntries(const char* folder, FolderEntryVisitor& visitor) const {
  if (!folder || !folder[0]) return false;
  DIR* directory = opendir(folder);
  if (!directory) return false;
  NameCollection names;
  bool complete = true;
  while (const dirent* entry = readdir(directory)) {
    if (!names.add(entry->d_name, entryIsDirectory(folder, entry))) {
      complete = false;
      break;
    }
  }
  closedir(directory);
  if (!complete || !names.sort()) return false;
  for (std::size_t i = 0; i < names.size(); ++i)
    if (!visitor.visitEntry(names.name(i), names.isDirectory(i))) break;
  return true;
}

char SystemFolderLister::separator() const { return pathSeparator(); }

}  // namespace vt
