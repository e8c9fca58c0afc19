#include "platform/folder_enumeration.h"

#include <windows.h>

#include <cstring>

#include "platform/module_path.h"

namespace vt {

namespace {

constexpr char kAllEntries[] = "\\*.*";

}  // namespace

bool SystemFolderLister::listEntries(const char* folder, FolderEntryVisitor& visitor) const {
  if (!folder || !folder[0]) return false;
  const std::size_t folderLength = std::strlen(folder);
  char pattern[MAX_PATH];
  if (folderLength + sizeof(kAllEntries) > sizeof(pattern)) return false;
  std::memcpy(pattern, folder, folderLength);
  std::memcpy(pattern + folderLength, kAllEntries, sizeof(kAllEntries));

  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  do {
    // The name is the bare entry name; cut anything up to a last separator all the same.
    const char* name = found.cFileName;
    if (const char* cut = std::strrchr(name, '\\')) name = cut + 1;
    const bool isDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (!visitor.visitEntry(name, isDirectory)) break;
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return true;
}

char SystemFolderLister::separator() const { return pathSeparator(); }

}  // namespace vt
