// The two scans of the library folders. Both keep the entries in the order in
// which the lister enumerates them (nothing is sorted here), fill the caller's
// list from index 0 and return its count.
#pragma once

#include "files/name_list.h"
#include "platform/folder_enumeration.h"

namespace vt {

// Sub-folders of 'folder' whose names do not begin with "." and are shorter
// than 255 characters, until 'names' is full.
int listSubfolders(const FolderLister& lister, const char* folder, NameList& names);

// Entries of 'folder' whose name after the first "." equals 'extension' (given
// in lower case) when lower-cased; each is listed by its name before the first
// ".". So Cello.V7V is listed as Cello and Cello.old.v7v is not listed. Names
// of 255 characters or more are skipped; the scan stops when 'names' is full.
int listFiles(const FolderLister& lister, const char* folder, const char* extension, NameList& names);

}  // namespace vt
